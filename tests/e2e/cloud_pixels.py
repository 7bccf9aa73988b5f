#!/usr/bin/python3
"""Pixel checks for the cloud updates (1280 x 720 screenshots).

    cloud_pixels.py outcome IMAGE       the cloud update's sub-title shown:
                                        UPDATING, UPDATED, FAILED or NONE
    cloud_pixels.py moving A B          the scene moved between two shots
    cloud_pixels.py ticking A B         the clock changed between two shots
    cloud_pixels.py clouds WITH WITHOUT the clouds cover part of the globe
    cloud_pixels.py same_globe A B      the globe looks the same in both

The sub-title is drawn in the main font at scale 1 from x = 8 in the overlay's
yellow; its width tells the three texts apart. From the font's glyph cells:
"FAILED" 17+21+9+16+17+22 = 102, "UPDATED" 21+18+22+21+18+17+22 = 139,
"UPDATING..." 21+18+22+21+18+9+22+21+9+9+9 = 179 pixels; the last cell's
right edge holds a few blank columns.
"""
import sys

import numpy as np
from PIL import Image

W, H = 1280, 720
TEXTS = {"FAILED": 102, "UPDATED": 139, "UPDATING": 179}


def load(path):
    img = np.asarray(Image.open(path).convert("RGB"), dtype=np.int32)
    if img.shape[:2] != (H, W):
        sys.exit(f"{path}: size {img.shape[1]}x{img.shape[0]}, not {W}x{H}")
    return img


def coloured(img, rgb, tolerance=0.12):
    """Pixels of a palette colour drawn over black, however dark: the fade-in
    of the first seconds dims the overlays along with the scene, so the
    colour is compared by its proportions."""
    peak = img.max(axis=2)
    target = np.array(rgb, dtype=np.float64) / max(rgb)
    share = img / np.maximum(peak, 1)[..., None]
    return (peak > 40) & (np.abs(share - target).max(axis=2) < tolerance)


def fail(text):
    print("FAIL:", text)
    sys.exit(1)


def cmd_outcome(path):
    img = load(path)
    title = coloured(img, (0xB0, 0xD0, 0xFF))[5:24, :300]
    sub = coloured(img, (0xFF, 0xFF, 0x00))[25:60, :400]
    xs = np.nonzero(sub)[1]
    if title.sum() < 30 or len(xs) < 30:
        print("NONE")
        return
    left, right = int(xs.min()), int(xs.max())
    width = right - 8 + 1
    # The nearest of the three widths, within 10 pixels of its cells.
    name, cells = min(TEXTS.items(), key=lambda t: abs(t[1] - width))
    if not (8 <= left <= 12) or not (cells - 10 <= width <= cells):
        print(f"NONE (sub-title from x {left} to {right})")
        return
    print(name)


def changed(a, b, threshold=12):
    d = np.abs(load(a) - load(b)).max(axis=2)
    d[:70, :420] = 0  # the message
    d[660:, 1080:] = 0  # the clock
    return d > threshold


def cmd_moving(a, b):
    n = int(changed(a, b).sum())
    print(f"{n} pixels changed")
    if n < 2000:
        fail("the picture did not move")


def cmd_ticking(a, b):
    """The clock at the bottom right shows the seconds: frames still come."""
    d = np.abs(load(a) - load(b)).max(axis=2)[680:, 1150:]
    n = int((d > 40).sum())
    print(f"{n} clock pixels changed")
    if n < 20:
        fail("the clock did not change")


def cmd_same_globe(a, b):
    n = int(changed(a, b, 24).sum())
    print(f"{n} pixels differ")
    if n > 600:
        fail(f"{n} pixels differ between {a} and {b}")


def cmd_clouds(with_clouds, without):
    """Clouds whiten the globe: many pixels of the disc are much brighter
    with them than without."""
    a = load(with_clouds).sum(axis=2)
    b = load(without).sum(axis=2)
    brighter = (a - b) > 90
    brighter[:70, :420] = False
    brighter[660:, 1080:] = False
    n = int(brighter.sum())
    print(f"{n} pixels brighter with the clouds")
    if n < 3000:
        fail("no clouds on the globe")


if __name__ == "__main__":
    name, args = sys.argv[1], sys.argv[2:]
    globals()["cmd_" + name](*args)
