#!/usr/bin/python3
"""Pixel checks of the places on screen (1280 x 720 screenshots). Each
subcommand exits non-zero with a reason when the picture is not what it
should be.

    locations_pixels.py marker IMAGE X Y            a red marker at (X, Y)
    locations_pixels.py label WITH WITHOUT X0 Y0 X1 Y1
                                                    the box differs between the two
    locations_pixels.py same A B X0 Y0 X1 Y1 [TOL]  the box is the same in both
    locations_pixels.py lists SHOWN HIDDEN ROW      the two lists over the map, the
                                                    available list's bar on ROW
    locations_pixels.py row IMAGE LIST ROW text|empty
                                                    a list row with or without text
    locations_pixels.py form SHOWN HIDDEN           the insert form instead of the lists,
                                                    the time-zone list focused
    locations_pixels.py empty_form SHOWN HIDDEN     the insert form as Insert opens it
    locations_pixels.py files DATA EXPECTED_LOC EXPECTED_SEL
                                                    the files of the program folder
    locations_pixels.py declutter ON OFF PLAIN      the labels with declutter on and off
    locations_pixels.py knot LAT LON DECLUTTERED OFF PLAIN NAME=ALONE...
                                                    the labels of a knot of places
                                                    against the view without places

The lists' rectangles at 1280 x 720 and their colours: the available list
(325, 95)-(635, 635), the selected list (645, 95)-(955, 527), rows 13.5
pixels; backgrounds A0304070 (focused) and 80304060, the bar C0405070, the
key box AF102040 from (645, 535) to (955, 635).
"""
import os
import sys

import numpy as np
from PIL import Image

W, H = 1280, 720
ROW = 13.5
LISTS = {"available": (325, 95, 635), "selected": (645, 95, 955)}


def load(path):
    img = np.asarray(Image.open(path).convert("RGB"), dtype=np.float64)
    if img.shape[:2] != (H, W):
        sys.exit(f"{path}: size {img.shape[1]}x{img.shape[0]}, not {W}x{H}")
    return img


def fail(text):
    print("FAIL:", text)
    sys.exit(1)


def over(argb, under):
    """A colour with alpha blended over what lies beneath."""
    a = ((argb >> 24) & 0xFF) / 255.0
    rgb = np.array([(argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF], dtype=np.float64)
    return a * rgb + (1.0 - a) * under


def expect_blend(shown, hidden, box, colours, what):
    x0, y0, x1, y1 = box
    want = hidden[y0:y1, x0:x1]
    for c in colours:
        want = over(c, want)
    err = np.abs(shown[y0:y1, x0:x1] - want)
    print(f"{what}: mean error {err.mean():.2f}, worst {err.max():.0f}")
    if err.mean() > 2.0 or np.percentile(err, 99) > 8:
        fail(f"{what} is not the list colour over the map")


def cmd_marker(path, x, y):
    img = load(path)
    x, y = int(x), int(y)
    box = img[y - 4:y + 5, x - 4:x + 5]
    red = (box[..., 0] > 150) & (box[..., 1] < 80) & (box[..., 2] < 80)
    print(f"red pixels near ({x}, {y}): {int(red.sum())}")
    if red.sum() < 6:
        fail(f"no red marker at ({x}, {y})")


def box_diff(a, b, x0, y0, x1, y1):
    return float(np.abs(a[y0:y1, x0:x1] - b[y0:y1, x0:x1]).mean())


def cmd_label(with_path, without_path, x0, y0, x1, y1):
    d = box_diff(load(with_path), load(without_path), int(x0), int(y0), int(x1), int(y1))
    print(f"label box differs by {d:.2f}")
    if d < 6:
        fail("no label in the box")


def cmd_same(a, b, x0, y0, x1, y1, tol="3"):
    d = box_diff(load(a), load(b), int(x0), int(y0), int(x1), int(y1))
    print(f"box differs by {d:.2f}")
    if d > float(tol):
        fail("the box changed")


def cmd_lists(shown_path, hidden_path, row):
    shown, hidden = load(shown_path), load(hidden_path)
    row = int(row)
    bar_top = int(95 + row * ROW + 1)
    bar = (560, bar_top, 630, int(95 + (row + 1) * ROW) - 1)
    # Text-free strips at the right of each list, clear of the bar.
    rows = [(560, 300, 630, 600)]
    expect_blend(shown, hidden, rows[0], [0xA0304070], "available list (focused)")
    expect_blend(shown, hidden, (880, 300, 950, 520), [0x80304060], "selected list")
    expect_blend(shown, hidden, (880, 545, 950, 630), [0xAF102040], "key box")
    expect_blend(shown, hidden, bar, [0xA0304070, 0xC0405070], f"bar on row {row}")
    # Outside the lists the map is left alone.
    cmd_same(shown_path, hidden_path, 40, 300, 300, 600, "1.5")


def row_text(img, which, row):
    left, top, right = LISTS[which]
    y0 = int(top + row * ROW + 2)
    y1 = int(top + (row + 1) * ROW - 2)
    strip = img[y0:y1, left + 1:left + 120]
    # The glyphs are light grey or white with a dark outline.
    return int((strip.min(axis=2) > 150).sum())


def cmd_row(path, which, row, state):
    n = row_text(load(path), which, int(row))
    print(f"{which} row {row}: {n} text pixels")
    if state == "text" and n < 20:
        fail(f"no text in row {row} of the {which} list")
    if state == "empty" and n > 3:
        fail(f"text in row {row} of the {which} list")


def cmd_empty_form(shown_path, hidden_path):
    shown, hidden = load(shown_path), load(hidden_path)
    # The name field's background, right of where the name goes.
    expect_blend(shown, hidden, (300, 146, 440, 158), [0x80304060], "name field")
    # The time-zone list, not focused, right of the zone names.
    expect_blend(shown, hidden, (362, 200, 388, 250), [0x80304060], "time-zone list")
    # No lists behind the form.
    cmd_same(shown_path, hidden_path, 560, 300, 630, 600, "1.5")


def cmd_form(shown_path, hidden_path):
    shown, hidden = load(shown_path), load(hidden_path)
    # The name field's background right of the typed name, one text row high.
    expect_blend(shown, hidden, (300, 146, 440, 158), [0x80304060], "name field")
    # Right of the zone names, above the bar on the cursor's row.
    expect_blend(shown, hidden, (362, 200, 388, 250), [0xA0304070], "time-zone list")
    # No lists behind the form.
    cmd_same(shown_path, hidden_path, 560, 300, 630, 600, "1.5")


def components(mask):
    """The 8-connected pieces of a mask as (left, top, right, bottom, pixels),
    right and bottom inclusive."""
    seen = np.zeros(mask.shape, dtype=bool)
    out = []
    h, w = mask.shape
    for y0, x0 in zip(*np.nonzero(mask)):
        if seen[y0, x0]:
            continue
        seen[y0, x0] = True
        stack, box, n = [(y0, x0)], [x0, y0, x0, y0], 0
        while stack:
            y, x = stack.pop()
            n += 1
            box = [min(box[0], x), min(box[1], y), max(box[2], x), max(box[3], y)]
            for dy in (-1, 0, 1):
                for dx in (-1, 0, 1):
                    yy, xx = y + dy, x + dx
                    if 0 <= yy < h and 0 <= xx < w and mask[yy, xx] and not seen[yy, xx]:
                        seen[yy, xx] = True
                        stack.append((yy, xx))
        out.append((*box, n))
    return out


def grow(mask, r):
    out = mask.copy()
    for dy in range(-r, r + 1):
        for dx in range(-r, r + 1):
            out |= np.roll(np.roll(mask, dy, axis=0), dx, axis=1)
    return out


def red_of(img):
    return (img[..., 0] > 150) & (img[..., 1] < 80) & (img[..., 2] < 80)


# Above the clock in the bottom-right corner.
GLOBE_ROWS = 680
# One label at this view: two lines of the 27-pixel font at most 0.6 of its
# size (the nearest place, 0.65 of the earth centre's distance, would be
# 1.25 - 0.65), "Copenhagen" at most 10 glyphs of 17 pixels.
LABEL_HEIGHT = 2 * 27 * 0.6 + 3
LABEL_WIDTH = 10 * 17 * 0.6 + 3


def labels_of(img, plain):
    """The pieces of label text: what differs from the view without places,
    not the markers, each glyph joined to its neighbours a pixel away."""
    diff = np.abs(img - plain).max(axis=2)[:GLOBE_ROWS]
    text = (diff > 40) & ~grow(red_of(img)[:GLOBE_ROWS], 1)
    pieces = [c for c in components(grow(text, 1)) if c[4] >= 12]
    return text, pieces


def boxes_meet(a, b):
    return a[0] <= b[2] and b[0] <= a[2] and a[1] <= b[3] and b[1] <= a[3]


def cmd_declutter(on_path, off_path, plain_path):
    on, off, plain = load(on_path), load(off_path), load(plain_path)
    _, on_pieces = labels_of(on, plain)
    _, off_pieces = labels_of(off, plain)
    print(f"label pieces: {len(on_pieces)} with declutter, {len(off_pieces)} without")
    # No two drawn labels' boxes overlap, and no piece is larger than one
    # label (two overlapping labels would make one larger piece).
    for i, a in enumerate(on_pieces):
        if a[2] - a[0] > LABEL_WIDTH or a[3] - a[1] > LABEL_HEIGHT:
            fail(f"a piece of text {a[2] - a[0] + 1} x {a[3] - a[1] + 1} at ({a[0]}, {a[1]}): "
                 "labels over each other")
        for b in on_pieces[:i]:
            if boxes_meet(a, b):
                fail(f"label boxes at ({a[0]}, {a[1]}) and ({b[0]}, {b[1]}) overlap")
    # Without declutter the knots are there, as before.
    knots = [a for a in off_pieces if a[2] - a[0] > LABEL_WIDTH or a[3] - a[1] > LABEL_HEIGHT]
    print(f"knots without declutter: {[(k[0], k[1], k[2] - k[0] + 1, k[3] - k[1] + 1) for k in knots]}")
    if not knots:
        fail("no labels over each other without declutter")
    # Each knot keeps a label in it (the nearest place's).
    for a in knots:
        if not any(boxes_meet(a, b) for b in on_pieces):
            fail(f"no label left of the knot at ({a[0]}, {a[1]})")
    # Every marker stays: what is red without declutter (some of it under
    # other places' labels) is red with it too.
    red_on, red_off = red_of(on), red_of(off)
    lost = int((red_off & ~grow(red_on, 1)).sum())
    print(f"marker pixels: {int(red_on.sum())} with declutter, {int(red_off.sum())} without; "
          f"{lost} of those without lost with it")
    if lost > 3 or red_on.sum() < red_off.sum():
        fail("a marker went with its label")


def lone_label(single, plain):
    """The box of the one label in a picture of a single place, and the text
    pixels of its top half: the name, which unlike the time line is the same
    in every run."""
    text, pieces = labels_of(single, plain)
    if not pieces:
        fail("no label where one was drawn")
    # The label's glyphs gather round its largest piece; a few pixels of the
    # turning globe elsewhere are not part of it.
    big = max(pieces, key=lambda p: p[4])
    near = (big[0] - LABEL_WIDTH, big[1] - LABEL_HEIGHT, big[2] + LABEL_WIDTH, big[3] + LABEL_HEIGHT)
    pieces = [p for p in pieces if boxes_meet(p, near)]
    left, top = min(p[0] for p in pieces), min(p[1] for p in pieces)
    right, bottom = max(p[2] for p in pieces), max(p[3] for p in pieces)
    if right - left > LABEL_WIDTH or bottom - top > LABEL_HEIGHT:
        fail(f"text of {right - left + 1} x {bottom - top + 1} where one label was drawn")
    mask = np.zeros(text.shape, dtype=bool)
    rows = slice(top, top + (bottom - top + 1) // 2)
    mask[rows, left:right + 1] = text[rows, left:right + 1]
    return (left, top, right, bottom), mask


def shown_share(img, single, mask):
    """The share of a lone label's name pixels that the picture shows as the
    lone run drew them."""
    same = np.abs(img[:GLOBE_ROWS] - single[:GLOBE_ROWS]).max(axis=2) <= 24
    return float((same & mask).sum()) / max(1, int(mask.sum()))


def cmd_knot(latitude, longitude, decluttered_path, off_path, plain_path, *singles):
    """Without declutter (OFF, every place chosen) each label of the knot is
    drawn, some over the others; with it (DECLUTTERED, only the knot's places
    chosen) the label of the place nearest to the camera is drawn whole and,
    of two labels that would meet, the farther one is left out. The camera
    looks down on the given latitude and longitude (radians)."""
    sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
    from locations_files import CAPITALS
    decluttered, off, plain = load(decluttered_path), load(off_path), load(plain_path)
    where = {n: (la, lo) for n, la, lo, _ in CAPITALS}
    below = (float(latitude), float(longitude))

    def angle(name):
        # Great-circle angle from the point under the camera: the nearer
        # place to the camera has the smaller.
        la, lo = np.radians(where[name][0]), np.radians(where[name][1])
        return float(np.arccos(np.sin(la) * np.sin(below[0]) +
                               np.cos(la) * np.cos(below[0]) * np.cos(lo - below[1])))

    labels = {}
    for item in singles:
        name, path = item.split("=", 1)
        single = load(path)
        box, mask = lone_label(single, plain)
        labels[name] = {"box": box, "mask": mask, "single": single, "angle": angle(name)}
    for name, label in labels.items():
        # The labels share a colour: where another's box lies over this one,
        # its pixels may be the other's.
        own = label["mask"].copy()
        for other, o in labels.items():
            if other != name:
                own[o["box"][1] - 1:o["box"][3] + 2, o["box"][0] - 1:o["box"][2] + 2] = False
        label["off"] = shown_share(off, label["single"], label["mask"])
        label["on"] = shown_share(decluttered, label["single"], own)
        print(f"{name}: label at {label['box']}, {int(label['mask'].sum())} name pixels, "
              f"{label['off']:.0%} shown without declutter, {label['on']:.0%} of the "
              f"{int(own.sum())} clear of the others with it; "
              f"{np.degrees(label['angle']):.2f} degrees from the camera's point")
    for name, label in labels.items():
        # Drawn, under the labels drawn after it where they cross.
        if label["off"] < 0.25:
            fail(f"{name}'s label not drawn without declutter")
    order = sorted(labels, key=lambda n: labels[n]["angle"])
    nearest = labels[order[0]]
    if shown_share(decluttered, nearest["single"], nearest["mask"]) < 0.95:
        fail(f"the nearest place, {order[0]}, lost its label with declutter")
    met = 0
    for i, near_name in enumerate(order):
        for far_name in order[i + 1:]:
            if boxes_meet(labels[near_name]["box"], labels[far_name]["box"]):
                met += 1
                if labels[far_name]["on"] > 0.05:
                    fail(f"{far_name}'s label drawn over the nearer {near_name}'s with declutter")
    if not met:
        fail("no two labels of the knot meet")


def cmd_files(data, loc, sel):
    for name, want in (("geovista.loc", loc), ("geovista.sel", sel)):
        got = open(f"{data}/{name}", "rb").read()
        expected = open(want, "rb").read()
        if got != expected:
            fail(f"{name}: {len(got)} bytes {got.hex()}\n   expected {len(expected)} bytes {expected.hex()}")
        print(f"{name}: {len(got)} bytes as expected")


if __name__ == "__main__":
    commands = {"marker": cmd_marker, "label": cmd_label, "same": cmd_same, "lists": cmd_lists,
                "row": cmd_row, "form": cmd_form, "empty_form": cmd_empty_form,
                "files": cmd_files, "declutter": cmd_declutter,
                "knot": cmd_knot}
    commands[sys.argv[1]](*sys.argv[2:])
