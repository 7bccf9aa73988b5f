#!/usr/bin/python3
"""Pixel checks of the globe's screenshots (ImageMagick's import of the root
window, 1280 x 720). Each subcommand exits non-zero with a reason when the
picture is not what it should be.

    planet_pixels.py mean IMAGE X Y HALF           mean brightness of a box
    planet_pixels.py fade BLACK HALF FULL X Y R T0 T1  curtain at 0, ~5 and 10 s
    planet_pixels.py terminator IMAGE LIT_SIDE     day/night split at x = 640
    planet_pixels.py same A B                      nearly identical frames
    planet_pixels.py differ A B                    clearly different frames
    planet_pixels.py message IMAGE TA TL TI SA SL SI  title and sub-title: colour, place, extent
    planet_pixels.py clock IMAGE                   clock at the bottom right
    planet_pixels.py glide TIMES DIR               the glide's eased path from the earth's size
    planet_pixels.py sunspot IMAGE X Y TOL         the white sun's centre within TOL of (X, Y)
    planet_pixels.py radius IMAGE                  the radius of the earth's disc in the middle
    planet_pixels.py radius_at D                   the disc's radius D units away
    planet_pixels.py lights NIGHT_ON NIGHT_OFF DAY_ON DAY_OFF  warm city lights at night only
    planet_pixels.py brighter A B FACTOR           the middle of A at least FACTOR times B's
    planet_pixels.py rim ON OFF                    blue on the lit limb and round the disc
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


def cmd_drawn(path):
    """Exit 0 when the shot shows a drawn scene rather than the black of a
    window whose first frames are late; 1 otherwise. Counted in pixels, not
    by the mean brightness: a view of the night side is dark but drawn, and
    the stars alone light far fewer than 1 % of the screen."""
    lit = (load(path).max(axis=2) > 4).mean()
    if lit < 0.01:
        print(f"not drawn yet: {100 * lit:.2f} % of the pixels lit")
        sys.exit(1)


def cmd_differ(a, b):
    n = changed(a, b)
    print(f"{n} pixels differ")
    if n < 5000:
        fail(f"only {n} pixels differ between {a} and {b}")


def coloured(img, rgb, tolerance=40):
    """Pixels within tolerance of the palette colour drawn at alpha 0xC0 on black."""
    target = np.array([c * 0xC0 // 0xFF for c in rgb])
    return np.abs(img - target).max(axis=2) < tolerance


# The message's colours (palette 8 and 4, the defaults). In the main font's
# 27-row cells (resources/bitmaps/107_main_font.bmp) the capitals' and
# digits' ink covers rows 6 to 20, its last row only faintly (b and i reach
# faintly into row 5), and a capital's ink starts 2 columns into its cell.
TITLE_RGB, SUBTITLE_RGB = (0xB0, 0xD0, 0xFF), (0xFF, 0xFF, 0x00)


def text_check(img, rgb, x, y, sx, sy, advance, last, last_ink, what):
    """The text drawn at (x, y) with scales sx, sy in its colour: its ink
    from row 6 to row 19 of the cells (a pixel either way), from column 2 of the first
    glyph to the last glyph's last ink column (advance: the sum of the glyph
    widths, last: the last glyph's width, last_ink: its last ink column).
    Colour-exact pixels only: the filtered edges may fall a pixel short.
    Returns a reason, or None."""
    mask = coloured(img[:80, :500], rgb, 12)
    ys, xs = np.nonzero(mask)
    if len(xs) < 30:
        return f"{what}: {len(xs)} pixels in its colour"
    left = x + sx * 2
    right = x + sx * (advance - last + last_ink)
    print(f"{what}: x {xs.min()}..{xs.max()} (ink {left:.1f}..{right:.1f}), "
          f"y {ys.min()}..{ys.max()} (ink {y + 6 * sy:.1f}..{y + 19 * sy:.1f})")
    if not y + 6 * sy - 1 <= ys.min() <= y + 6 * sy + 1:
        return f"{what}: its top is not at {y + 6 * sy:.1f}"
    if not y + 19 * sy - 1 <= ys.max() <= y + 19 * sy + 1:
        return f"{what}: its foot is not at {y + 19 * sy:.1f}"
    if not left - 1 <= xs.min() <= left + 1.5:
        return f"{what}: it does not start at {left:.1f}"
    if not right - 1.5 <= xs.max() <= right + 1:
        return f"{what}: it does not end at {right:.1f}"
    return None


def message_check(img, title, subtitle):
    """title, subtitle: (advance, last glyph's width, its last ink column) in
    font pixels. The title at (8, 8), scales 0.8 and 0.5; the sub-title at
    (8, 25), scale 1."""
    return (text_check(img, TITLE_RGB, 8, 8, 0.8, 0.5, *title, "title") or
            text_check(img, SUBTITLE_RGB, 8, 25, 1.0, 1.0, *subtitle, "sub-title"))


def cmd_message(path, *widths):
    w = [int(v) for v in widths]
    reason = message_check(load(path), tuple(w[:3]), tuple(w[3:]))
    if reason:
        fail(reason)


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


# The glide: the earth seen from straight along one line, 560 units out at
# the start and 1000 at the end. A disc of radius 128 at distance d looks
# r = F * 128 / sqrt(d^2 - 128^2) pixels wide, F = 360 * (1280 / 720) *
# cot(0.97 / 2) * (1 - 1 / 3500) = 1214.4 pixels (the projection of the field
# of view 0.97 on the 720-pixel height): 285.3 pixels at 560, 156.7 at 1000.
F, EARTH, NEAR, FAR = 1214.4, 128.0, 560.0, 1000.0


def disc(img):
    """The earth's disc (everything lit round the middle of the screen, away
    from the message and the clock): its centre and radius by its area."""
    lit = img[60:660, 340:940].max(axis=2) > 40
    ys, xs = np.nonzero(lit)
    if len(xs) < 100:
        return None
    return xs.mean() + 340, ys.mean() + 60, (len(xs) / np.pi) ** 0.5


def radius_at(d):
    return F * EARTH / (d * d - EARTH * EARTH) ** 0.5


def share_of_way(r):
    """How far along the line the camera is, 0..1, from the disc's radius."""
    d = ((F * EARTH / r) ** 2 + EARTH ** 2) ** 0.5
    return (d - NEAR) / (FAR - NEAR)


def ease(t):
    return 3 * t * t - 2 * t ** 3


def uneased(s):
    lo, hi = 0.0, 1.0
    for _ in range(50):
        mid = (lo + hi) / 2
        lo, hi = (mid, hi) if ease(mid) < s else (lo, mid)
    return (lo + hi) / 2


def cmd_glide(times_path, folder):
    """Shots g_N.png taken between the two times of line "N before after"
    (seconds of the frame loop). The camera glides from 560 to 1000 units
    along one line at "SUPER SMOOTH" (t grows by 0.0001 per millisecond: 10 s)
    with the eased path s = 3t^2 - 2t^3. Each shot's disc radius gives s;
    s must follow the eased path in time: t = ease^-1(s) of the shots in the
    middle of the glide must lie on one straight line of slope 1 / 10 s. A
    jump leaves no shot in the middle; a frozen view never reaches the end; a
    glide without easing does not fit the line."""
    shots = []
    for line in open(times_path):
        i, before, after = line.split()
        img = load(f"{folder}/g_{i}.png")
        found = disc(img)
        if found is None:
            fail(f"shot {i}: no earth")
        x, y, r = found
        shots.append((int(i), float(before), float(after), x, y, r, share_of_way(r),
                      f"{folder}/g_{i}.png"))
    for i, b, a, x, y, r, s, _ in shots:
        print(f"shot {i} at {b:.2f}..{a:.2f} s: earth at ({x:.1f}, {y:.1f}), radius {r:.1f}, "
              f"s {s:.3f}")
    windows = [a - b for _, b, a, *_ in shots]
    gaps = [0.5 * (shots[k + 1][1] + shots[k + 1][2] - shots[k][1] - shots[k][2])
            for k in range(len(shots) - 1)]
    if max(windows) > 1.5 or max(gaps) > 2.5:
        # A busy machine can hold a capture back for seconds: the caller may
        # try again (exit status 3), as nothing was measured.
        print("FAIL: the shots were too far apart to follow the glide")
        sys.exit(3)
    for i, b, a, x, y, r, s, _ in shots:
        if abs(x - 639.5) > 2 or abs(y - 359.5) > 2:
            fail(f"shot {i}: the earth is not in the middle of the picture")
    start, end = shots[0], shots[-1]
    if abs(start[5] - radius_at(NEAR)) > 0.02 * radius_at(NEAR):
        fail(f"the first shot's earth ({start[5]:.1f}) is not 560 units away "
             f"({radius_at(NEAR):.1f} pixels)")
    if abs(end[5] - radius_at(FAR)) > 0.02 * radius_at(FAR):
        fail(f"the last shot's earth ({end[5]:.1f}) is not 1000 units away "
             f"({radius_at(FAR):.1f} pixels)")
    for k in range(len(shots) - 1):
        if shots[k + 1][6] < shots[k][6] - 0.02:
            fail(f"the camera went back between shots {shots[k][0]} and {shots[k + 1][0]}")
    # Shots a little in from the ends, where the radius still tells s well.
    middle = [(0.5 * (b + a), 0.5 * (a - b), uneased(s))
              for _, b, a, _, _, _, s, _ in shots if 0.1 < s < 0.9]
    if len(middle) < 3:
        fail(f"only {len(middle)} shots in the middle of the glide: it jumped or stood still")
    times = np.array([m[0] for m in middle])
    halves = np.array([m[1] for m in middle])
    ts = np.array([m[2] for m in middle])
    slope, offset = np.polyfit(times, ts, 1)
    length = 1.0 / slope
    # Each shot's t may be off by its capture's half-length in time, and by
    # 0.03 of the way for the radius (a pixel or so).
    off = np.abs(ts - (slope * times + offset)) - slope * halves
    print(f"{len(middle)} shots in the middle: the glide takes {length:.2f} s, "
          f"starting at {-offset / slope:.2f} s; worst distance from the eased path "
          f"{float(off.max()):.3f} of the way beyond the capture's own time")
    # The rate counts the truncated running average of the frame time, a
    # little short of the frame time: hence a little more than 10 s.
    if not 9.5 <= length <= 11.5:
        fail(f"the glide takes {length:.2f} s, not 10")
    if off.max() > 0.03:
        fail("the camera does not follow the eased path")
    # The messages: "CAMERA SELECTED" / "Orbit 2" while the glide begins,
    # "CAMERA CHANGING" / "COMPLETED" once it has ended. From the font: the
    # widths sum to 277 (the last glyph, D, 22 wide, ink to column 17), 99
    # (2: 18, 14), 289 (G: 21, 18) and 176 (D: 22, 17).
    begun = next(sh for sh in shots if sh[6] > 0.02)
    reason = message_check(load(begun[7]), (277, 22, 17), (99, 18, 14))
    if reason:
        fail(f"shot {begun[0]}: CAMERA SELECTED / Orbit 2: {reason}")
    # The first shot that shows a message again, after the first one's 2.5 s.
    ended = None
    for sh in shots:
        if sh[1] > begun[2] + 2.5:
            img = load(sh[7])
            if coloured(img[:80, :500], TITLE_RGB, 12).sum() >= 30:
                ended = (sh, img)
                break
    if ended is None:
        fail("no CAMERA CHANGING / COMPLETED message")
    if ended[0][6] < 0.99:
        fail(f"shot {ended[0][0]}: a message before the glide ended")
    reason = message_check(ended[1], (289, 21, 18), (176, 22, 17))
    ended = ended[0]
    if reason:
        fail(f"shot {ended[0]}: CAMERA CHANGING / COMPLETED: {reason}")
    half = min(shots, key=lambda sh: abs(sh[6] - 0.5))
    print(begun[0], ended[0], half[0])


def cmd_radius(path):
    """The earth's disc, wholly lit, standing in the middle of the picture."""
    found = disc(load(path))
    if found is None:
        fail("no earth")
    x, y, r = found
    if abs(x - 639.5) > 3 or abs(y - 359.5) > 3:
        fail(f"the earth is at ({x:.1f}, {y:.1f}), not in the middle")
    print(f"{r:.1f}")


def cmd_radius_at(d):
    print(f"{radius_at(float(d)):.1f}")


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


# The user view 500 units from the earth's centre: the disc's radius.
DISC = 321.6


def ring(img, r0, r1):
    """The pixels whose distance from the middle of the picture lies in
    [r0, r1), as rows of (red, green, blue)."""
    ys, xs = np.mgrid[0:H, 0:W]
    d = np.hypot(xs - 639.5, ys - 359.5)
    return img[(d >= r0) & (d < r1)]


def warm_lights(img):
    """City lights: bright and warm (red well over blue) points on the disc."""
    px = ring(img, 0, DISC - 4)
    lit = (px[:, 0] >= 90) & (px[:, 0] >= px[:, 2] + 50) & (px[:, 0] >= px[:, 1])
    return px[lit]


def cmd_lights(night_on, night_off, day_on, day_off):
    """Over a place at night the lights are many warm points with "NIGHT
    LIGHTS" on and none with it off; over a place in full day the middle of
    the picture is the same either way."""
    on, off = warm_lights(load(night_on)), warm_lights(load(night_off))
    print(f"warm lit pixels at night: {len(on)} with the lights, {len(off)} without")
    if len(on) < 400:
        fail(f"only {len(on)} warm lit pixels with the lights on")
    if len(off) > 20:
        fail(f"{len(off)} warm lit pixels with the lights off")
    mean = on.mean(axis=0)
    print(f"their mean colour {mean[0]:.0f}, {mean[1]:.0f}, {mean[2]:.0f}")
    if not mean[0] > mean[1] > mean[2] + 40:
        fail("the lights are not warm")
    a, b = load(day_on), load(day_off)
    day = np.abs(a - b).max(axis=2)[360 - 150:360 + 150, 640 - 150:640 + 150]
    changed = int((day > 4).sum())
    print(f"{changed} pixels differ in the middle of the day side")
    if changed > 50:
        fail("the lights show on the day side")


def cmd_brighter(a, b, factor):
    """The middle of picture A (40 x 40 pixels) at least FACTOR times as
    bright as B's, and lit itself."""
    ma, mb = box_mean(load(a), 640, 360, 20), box_mean(load(b), 640, 360, 20)
    print(f"middle: {ma:.1f} against {mb:.1f}")
    if ma < 30 or ma < float(factor) * mb:
        fail(f"{a} is not {factor} times as bright as {b} in the middle")


def cmd_rim(on_path, off_path):
    """Looking down on the point under the sun the whole limb is lit: with
    "ATMOSPHERE" on it turns blue just inside the disc's edge and a blue
    ring lies just outside it; with it off the limb keeps the ground's
    colours and outside is black."""
    on, off = load(on_path), load(off_path)
    inside_on, inside_off = ring(on, DISC - 14, DISC - 3), ring(off, DISC - 14, DISC - 3)
    blue_on = float((inside_on[:, 2] - inside_on[:, 0]).mean())
    blue_off = float((inside_off[:, 2] - inside_off[:, 0]).mean())
    outside_on = ring(on, DISC + 3, DISC + 9).mean(axis=0)
    outside_off = ring(off, DISC + 3, DISC + 9).mean(axis=0)
    print(f"inside the limb, blue over red: {blue_on:.1f} on, {blue_off:.1f} off; "
          f"just outside: {outside_on.round(1)} on, {outside_off.round(1)} off")
    if blue_on < blue_off + 15:
        fail("no blue rim on the lit limb")
    if not (outside_on[2] > 8 and outside_on[2] > outside_on[0] + 4):
        fail("no blue ring round the disc")
    if outside_off.max() > 2:
        fail("light round the disc without the atmosphere")


if __name__ == "__main__":
    name, args = sys.argv[1], sys.argv[2:]
    globals()["cmd_" + name](*args)
