#!/usr/bin/python3
"""Pixel checks of the globe's screenshots (ImageMagick's import of the root
window, 1280 x 720). Each subcommand exits non-zero with a reason when the
picture is not what it should be.

    planet_pixels.py mean IMAGE X Y HALF           mean brightness of a box
    planet_pixels.py fade BLACK HALF FULL X Y R T0 T1  curtain at 0, ~5 and 10 s
    planet_pixels.py terminator IMAGE LIT_SIDE     day/night split at x = 640
    planet_pixels.py same A B                      nearly identical frames
    planet_pixels.py differ A B                    clearly different frames
    planet_pixels.py message IMAGE                 title and subtitle at (8, 8) / (8, 25)
    planet_pixels.py clock IMAGE                   clock at the bottom right
    planet_pixels.py extent IMAGE                  right end of the subtitle (prints it)
    planet_pixels.py glide TIMES DIR               glide length and message time from shots
    planet_pixels.py sunspot IMAGE X Y TOL         the white sun's centre within TOL of (X, Y)
"""
import sys

import numpy as np
from PIL import Image

W, H = 1280, 720


def load(path):
    img = np.asarray(Image.open(path).convert("RGB"), dtype=np.int32)
    if img.shape[:2] != (H, W):
        sys.exit(f"{path}: size {img.shape[1]}x{img.shape[0]}, not {W}x{H}")
    return img


def box_mean(img, x, y, half):
    return float(img[y - half:y + half, x - half:x + half].mean())


def fail(text):
    print("FAIL:", text)
    sys.exit(1)


def cmd_mean(path, x, y, half):
    print(f"{box_mean(load(path), int(x), int(y), int(half)):.2f}")


def cmd_fade(black, half, full, x, y, r, before, after):
    """half was captured between before and after seconds of the frame loop
    (its start known to a tenth of a second): the curtain's alpha then was
    255 - 25.5 per second, letting that share of the picture through."""
    x, y, r = int(x), int(y), int(r)
    b, h, f = (box_mean(load(p), x, y, r) for p in (black, half, full))
    lo, hi = float(before) / 10.0, (float(after) + 0.15) / 10.0
    print(f"start {b:.1f}  at {before}..{after} s {h:.1f}  after 10 s {f:.1f}")
    if f < 40:
        fail(f"the lit earth is too dark after the fade ({f:.1f})")
    if b > 0.08 * f:
        fail("the first frames are not black")
    if hi - lo > 0.15:
        print("FAIL: the capture took too long to time the curtain")
        sys.exit(3)
    if not lo - 0.08 <= h / f <= hi + 0.08:
        fail(f"{h / f:.2f} of the picture comes through, not {lo:.2f}..{hi:.2f}")


def cmd_terminator(path, lit_side):
    """The camera is over the equator on the terminator's meridian: one half
    of the disc is lit, the other dark right up to the centre."""
    img = load(path)
    sign = 1 if lit_side == "right" else -1
    lit_far = box_mean(img, 640 + sign * 200, 360, 20)
    dark_far = box_mean(img, 640 - sign * 200, 360, 20)
    lit_near = box_mean(img, 640 + sign * 80, 360, 15)
    dark_near = box_mean(img, 640 - sign * 40, 360, 15)
    print(f"lit side {lit_far:.1f} (near the centre {lit_near:.1f}), "
          f"dark side {dark_far:.1f} (near the centre {dark_near:.1f})")
    if lit_far < 5 or dark_far > 0.3 * lit_far:
        fail(f"the {lit_side} half is not the lit one")
    # A terminator more than about 5 degrees off the centre lights the
    # dark box or darkens the lit one.
    if dark_near > dark_far + 0.15 * (lit_far - dark_far):
        fail("light reaches past the centre into the dark half")
    if lit_near < 3 * max(dark_near, 0.5):
        fail("the lit half does not reach close to the centre")


def changed(a, b):
    da = np.abs(load(a) - load(b)).max(axis=2)
    da[680:, 1100:] = 0  # the clock
    # Flares far from the centre add only a little light, over wide rings.
    return int((da > 4).sum())


def cmd_same(a, b):
    n = changed(a, b)
    print(f"{n} pixels differ")
    if n > 300:
        fail(f"{n} pixels differ between {a} and {b}")


def cmd_differ(a, b):
    n = changed(a, b)
    print(f"{n} pixels differ")
    if n < 5000:
        fail(f"only {n} pixels differ between {a} and {b}")


def coloured(img, rgb, tolerance=40):
    """Pixels within tolerance of the palette colour drawn at alpha 0xC0 on black."""
    target = np.array([c * 0xC0 // 0xFF for c in rgb])
    return np.abs(img - target).max(axis=2) < tolerance


def cmd_message(path):
    img = load(path)
    title = coloured(img, (0xB0, 0xD0, 0xFF))
    sub = coloured(img, (0xFF, 0xFF, 0x00))
    ty, tx = np.nonzero(title[:60, :400])
    sy, sx = np.nonzero(sub[:60, :400])
    if len(tx) < 30 or len(sx) < 30:
        fail(f"no title ({len(tx)}) or subtitle ({len(sx)}) in the palette colours")
    print(f"title x {tx.min()}..{tx.max()} y {ty.min()}..{ty.max()}; "
          f"subtitle x {sx.min()}..{sx.max()} y {sy.min()}..{sy.max()}")
    if not (8 <= tx.min() <= 14 and 8 <= ty.min() <= 14 and ty.max() < 25):
        fail("the title does not start at (8, 8)")
    if not (8 <= sx.min() <= 14 and 25 <= sy.min() <= 32):
        fail("the subtitle does not start at (8, 25)")


def cmd_extent(path):
    sub = coloured(load(path), (0xFF, 0xFF, 0x00))
    xs = np.nonzero(sub[25:60, :400])[1]
    print(int(xs.max()) if len(xs) > 20 else -1)


def cmd_clock(path):
    img = load(path)
    white = coloured(img, (0xFF, 0xFF, 0xFF), 30)
    ys, xs = np.nonzero(white[650:, 1100:])
    if len(xs) < 30:
        fail("no clock at the bottom right")
    x0, y0 = xs.min() + 1100, ys.min() + 650
    print(f"clock from x {x0} y {y0} to x {xs.max() + 1100} y {ys.max() + 650}")
    # Size 1: it starts 90 pixels from the right edge and 22.5 above the bottom.
    if not (1190 <= x0 <= 1196 and 697 <= y0 <= 704):
        fail("the clock does not start at (1190, 697.5)")


def subtitle_end(path):
    sub = coloured(load(path), (0xFF, 0xFF, 0x00))
    xs = np.nonzero(sub[25:60, :400])[1]
    return int(xs.max()) if len(xs) > 20 else -1


def cmd_glide(times_path, folder):
    """Shots g_N.png taken between the two times of line "N before after".
    The subtitle is first the new camera's name ("Orbit 2"), then the wider
    "COMPLETED", then nothing. Each change happened between the last shot
    before it and the first after it, so every duration is an interval."""
    shots = []
    for line in open(times_path):
        i, before, after = line.split()
        shots.append((int(i), float(before), float(after), subtitle_end(f"{folder}/g_{i}.png")))
    for i, b, a, w in shots:
        print(f"shot {i} at {b:.2f}..{a:.2f} s: subtitle ends at {w}")
    named = [k for k, s in enumerate(shots) if s[3] > 0]
    if not named:
        fail("no CAMERA SELECTED message")
    first = named[0]
    if first == 0:
        fail("the message was already there at the first shot")
    width = shots[first][3]
    done = [k for k in range(first, len(shots)) if shots[k][3] > width + 15]
    if not done:
        fail("no CAMERA CHANGING / COMPLETED message")
    end = done[0]
    gone = [k for k in range(end, len(shots)) if shots[k][3] == -1]
    if not gone:
        fail("the COMPLETED message did not go away")
    off = gone[0]

    def interval(from_last, from_first, to_last, to_first):
        return shots[to_last][1] - shots[from_first][2], shots[to_first][2] - shots[from_last][1]

    glide = interval(first - 1, first, end - 1, end)
    shown = interval(end - 1, end, off - 1, off)
    print(f"glide {glide[0]:.2f}..{glide[1]:.2f} s, message {shown[0]:.2f}..{shown[1]:.2f} s")
    if glide[1] - glide[0] > 1.2 or shown[1] - shown[0] > 1.2:
        # A busy machine can hold a capture back for seconds: the caller may
        # try again (exit status 3), as nothing was measured.
        print("FAIL: the shots were too far apart to time the glide")
        sys.exit(3)
    if not glide[0] - 0.1 <= 2.0 <= glide[1] + 0.1:
        fail("the glide did not take 2 seconds")
    if not shown[0] - 0.1 <= 2.5 <= shown[1] + 0.1:
        fail("COMPLETED was not shown for 2.5 seconds")
    half = next(k for k in range(first, end + 1) if shots[k][1] >= shots[first][1] + 1.0)
    print(shots[first][0], shots[end][0], shots[half][0])


def cmd_sunspot(path, x, y, tol):
    """The sun's disc is the only pure white in a picture without flares,
    wash, glow, moon and stars (but for a little of the earth's ice): its
    centre is the median of those pixels."""
    img = load(path)
    ys, xs = np.nonzero(img.min(axis=2) >= 250)
    if len(xs) < 50:
        fail(f"no sun in the picture ({len(xs)} white pixels)")
    cx, cy = float(np.median(xs)), float(np.median(ys))
    print(f"sun at ({cx:.1f}, {cy:.1f}) from {len(xs)} pixels, "
          f"x {xs.min()}..{xs.max()} y {ys.min()}..{ys.max()}")
    if abs(cx - float(x)) > float(tol) or abs(cy - float(y)) > float(tol):
        fail(f"the sun is not at ({x}, {y})")


if __name__ == "__main__":
    name, args = sys.argv[1], sys.argv[2:]
    globals()["cmd_" + name](*args)
