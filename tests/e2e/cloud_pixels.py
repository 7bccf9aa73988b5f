#!/usr/bin/python3
"""Pixel checks for the cloud updates (1280 x 720 screenshots).

    cloud_pixels.py outcome IMAGE       the cloud update's sub-title shown:
                                        UPDATING, UPDATED, FAILED or NONE
    cloud_pixels.py moving A B          the scene moved between two shots
    cloud_pixels.py ticking A B         the clock changed between two shots
    cloud_pixels.py clouds WITH WITHOUT the clouds cover part of the globe
    cloud_pixels.py same_globe A B      the globe looks the same in both
    cloud_pixels.py kept WITH WITHOUT   the earlier clouds (a band on the
                                        equator) on the globe, not the served
                                        ones (a band over the view's centre)
    cloud_pixels.py cache TGA [TOL]     clouds.tga is the served map's layer

The sub-title is drawn in the main font at scale 1 from x = 8 in the overlay's
yellow; its width tells the three texts apart. From the font's glyph cells:
"FAILED" 17+21+9+16+17+22 = 102, "UPDATED" 21+18+22+21+18+17+22 = 139,
"UPDATING..." 21+18+22+21+18+9+22+21+9+9+9 = 179 pixels; the last cell's
right edge holds a few blank columns.
"""
import struct
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


def brighter_with(with_clouds, without):
    a = load(with_clouds).sum(axis=2)
    b = load(without).sum(axis=2)
    brighter = (a - b) > 90
    brighter[:70, :420] = False
    brighter[660:, 1080:] = False
    return brighter


def cmd_clouds(with_clouds, without):
    """Clouds whiten the globe: many pixels of the disc are much brighter
    with them than without."""
    n = int(brighter_with(with_clouds, without).sum())
    print(f"{n} pixels brighter with the clouds")
    if n < 3000:
        fail("no clouds on the globe")


# The user view over 34.4 N, 17.2 E from 500 away puts the globe's centre at
# about (640, 330) with a radius of about 320 pixels. The served map's
# northern band (19.7 N to 61.9 N) covers the centre; the earlier map's band
# (12.7 N to 8.4 S) lies more than 21 degrees south of it, below y = 440.
CENTRE_BOX = (slice(200, 420), slice(440, 840))


def cmd_kept(with_clouds, without):
    brighter = brighter_with(with_clouds, without)
    total = int(brighter.sum())
    centre = int(brighter[CENTRE_BOX].sum())
    print(f"{total} pixels brighter with the clouds, {centre} of them at the centre")
    if total < 3000:
        fail("no clouds on the globe")
    if centre > 400:
        fail("the served clouds are on the globe")


def cmd_cache(path, tolerance="0"):
    """The served map (512 x 256: white over rows 40-100 and 150-200, black
    elsewhere) stretched to 1024 x 512 doubles its rows; the file holds the
    top row first. Inside a band each smoothing pass walks the rows in
    place, so four of a pixel's nine neighbours already hold this pass's
    value: 255 gives (4 * 254 + 5 * 255) * 0.11111 = 254.55 -> 254, then
    (4 * 253 + 5 * 254) * 0.11111 = 253.55 -> 253, then 252, and the alpha
    is 3 * 252 * 0.33333 = 251.99 -> 251. Clear sky stays 0. A lossy picture
    may miss these by up to the tolerance."""
    tol = int(tolerance)
    data = open(path, "rb").read()
    width, height = struct.unpack_from("<HH", data, 12)
    bits = data[16]
    if (width, height, bits) != (1024, 512, 32) or len(data) < 18 + 1024 * 512 * 4:
        fail(f"{path}: {width} x {height} at {bits} bits, {len(data)} bytes")
    pixels = np.frombuffer(data, dtype=np.uint8, count=1024 * 512 * 4, offset=18 + data[0])
    alpha = pixels.reshape(512, 1024, 4)[:, :, 3]
    rows = {"clear above": (20, 0), "northern band": (140, 251), "clear between": (250, 0),
            "southern band": (350, 251), "clear below": (480, 0)}
    for name, (row, expected) in rows.items():
        values = alpha[row].astype(int)
        if np.abs(values - expected).max() > tol:
            seen = sorted(set(int(v) for v in values))
            fail(f"{path}: {name} (row {row}) has alpha {seen[:3]}..{seen[-3:]}, "
                 f"not {expected} within {tol}")
    print("the served map's bands")


if __name__ == "__main__":
    name, args = sys.argv[1], sys.argv[2:]
    globals()["cmd_" + name](*args)
