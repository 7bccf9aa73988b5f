#!/usr/bin/python3
"""Pixel checks of the saver's screens (screenshots of the root window,
1280 x 720, and the globe's own F2 screenshots), for the Windows build under
Wine and the configure mode on Linux. Each exits non-zero with the reason
when the picture is not what it should be.

    saver_pixels.py fills IMAGE              the scene covers the whole screen
    saver_pixels.py shown IMAGE              the options overlay's text in the
                                            bottom-left corner
    saver_pixels.py overlay WITH WITHOUT     that text in WITH only

The X server's root window is white (Xvfb -wr); where the globe draws its
scene is black space, a few stars and the lit earth.
"""
import sys

import numpy as np
from PIL import Image

W, H = 1280, 720


def load(path, size=(W, H)):
    img = np.asarray(Image.open(path).convert("RGB"), dtype=np.int32)
    if size and img.shape[:2] != (size[1], size[0]):
        sys.exit(f"{path}: size {img.shape[1]}x{img.shape[0]}, not {size[0]}x{size[1]}")
    return img


def root_share(box):
    """The share of white pixels: the root window is white everywhere, a
    starry sky almost nowhere."""
    return float((box.min(axis=2) > 245).mean())


def lit_share(box):
    """The share of pixels brighter than space and faint stars: the earth."""
    return float((box.max(axis=2) > 60).mean())


def cmd_fills(path):
    img = load(path)
    # The four corners and the middle of each edge, 64 pixels a side.
    s = 64
    boxes = {"top left": (0, 0), "top": (W // 2 - s // 2, 0), "top right": (W - s, 0),
             "left": (0, H // 2 - s // 2), "right": (W - s, H // 2 - s // 2),
             "bottom left": (0, H - s), "bottom": (W // 2 - s // 2, H - s),
             "bottom right": (W - s, H - s)}
    for name, (x, y) in boxes.items():
        share = root_share(img[y:y + s, x:x + s])
        if share > 0.1:
            sys.exit(f"the root window shows at the {name} ({share:.0%} white)")
    lit = lit_share(img)
    if lit < 0.02:
        sys.exit(f"only {lit:.1%} of the screen is lit: no earth drawn yet")
    print(f"covered; {lit:.1%} lit")


def overlay_ink(img):
    """Pixels of strong colour in the bottom-left corner, where the options
    overlay writes the setting's value and name."""
    h, w = img.shape[:2]
    box = img[h - 90:h, 0:420]
    return int((box.max(axis=2) > 150).sum())


def cmd_shown(path):
    ink = overlay_ink(load(path, None))
    if ink < 200:
        sys.exit(f"no overlay text in the bottom-left corner ({ink} bright pixels)")
    print(f"overlay: {ink} bright pixels")


def cmd_overlay(with_path, without_path):
    with_overlay = load(with_path, None)
    without = load(without_path, None)
    a, b = overlay_ink(with_overlay), overlay_ink(without)
    if a < 200:
        sys.exit(f"no overlay text in the bottom-left corner ({a} bright pixels)")
    if b * 4 > a:
        sys.exit(f"the corner holds as much after Escape ({b}) as before ({a})")
    print(f"overlay: {a} bright pixels, {b} after Escape")


COMMANDS = {"fills": cmd_fills, "shown": cmd_shown, "overlay": cmd_overlay}

if __name__ == "__main__":
    if len(sys.argv) < 2 or sys.argv[1] not in COMMANDS:
        sys.exit(__doc__)
    COMMANDS[sys.argv[1]](*sys.argv[2:])
