"""The two bitmap fonts: glyph sheets and their "PYXF" metrics.

Metrics layout: "PYXF", a count n, the n character codes, then per glyph six
little-endian 16-bit values: width, height (pixels), left, top, right, bottom
(in 1/65536 of the sheet's width or height, from its top-left corner).
"""
import struct

import numpy as np
from PIL import Image, ImageDraw, ImageFilter, ImageFont

from . import dib

MAIN_HEIGHT = 27
MAIN_ROW_PITCH = 28
MAIN_SHEET = 256

# The main font's glyphs as they lie on the sheet, row by row (character, width).
MAIN_ROWS = [
    [(" ", 9), ("!", 10), ('"', 9), ("#", 18), ("$", 18), ("%", 23), ("&", 23), ("'", 5),
     ("(", 10), (")", 10), ("*", 14), ("+", 19), (",", 9), ("-", 11), (".", 9), ("/", 10),
     ("0", 18)],
    [(str(d), 18) for d in range(1, 10)] + [(":", 10), (";", 10), ("<", 19), ("=", 19),
                                            (">", 19)],
    [("?", 15), ("@", 23), ("A", 21), ("B", 20), ("C", 19), ("D", 22), ("E", 17), ("F", 17),
     ("G", 21), ("H", 21), ("I", 9), ("J", 17), ("K", 19)],
    [("L", 16), ("M", 27), ("N", 22), ("O", 22), ("P", 18), ("Q", 22), ("R", 19), ("S", 18),
     ("T", 18), ("U", 21), ("V", 19)],
    [("W", 28), ("X", 20), ("Y", 18), ("Z", 19), ("[", 10), ("\\", 10), ("]", 10), ("^", 23),
     ("_", 12), ("`", 12), ("a", 16), ("b", 18), ("c", 16), ("d", 18)],
    [("e", 16), ("f", 11), ("g", 18), ("h", 18), ("i", 8), ("j", 8), ("k", 17), ("l", 8),
     ("m", 26), ("n", 18), ("o", 18), ("p", 18), ("q", 18), ("r", 12), ("s", 15)],
    [("t", 12), ("u", 18), ("v", 16), ("w", 25), ("x", 16), ("y", 16), ("z", 15), ("{", 12),
     ("|", 12), ("}", 12), ("~", 19), ("¦", 12), ("©", 19), ("á", 16), ("é", 16)],
    [("í", 8), ("ó", 18), ("ú", 18), ("Á", 21), ("É", 17), ("Í", 9), ("Ó", 22), ("Ú", 21),
     ("à", 16), ("À", 21), ("ã", 16), ("õ", 18), ("Ã", 21)],
    [("Õ", 22), ("â", 16), ("ô", 18), ("Â", 21), ("Ô", 22), ("ñ", 18), ("Ñ", 22), ("ç", 16),
     ("Ç", 19), ("ü", 18), ("Ü", 21)],
]

# The characters the main font can draw (place names are limited to these).
MAIN_CHARSET = frozenset(ch for row in MAIN_ROWS for ch, _ in row)

# Key hints: (code, width, height, direction) in metrics order.
HINT_GLYPHS = [(0xE1, 26, 31, "up"), (0xE2, 26, 31, "down"), (0xDF, 28, 31, "left"),
               (0xE0, 28, 31, "right")]
HINT_SHEET = 64

KEY_COLOUR = (0, 0, 0)        # sheet background, made transparent by colour key
OUTLINE_GREY = 40             # dark but never equal to the key, even at 5 bits a channel
SUPERSAMPLE = 4


def _palette_image(grey):
    """Sheet from grey levels: 0 is the key colour, 1..255 a ramp from dark to white."""
    image = Image.frombytes("P", (grey.shape[1], grey.shape[0]),
                            np.ascontiguousarray(grey, dtype=np.uint8).tobytes())
    palette = list(KEY_COLOUR)
    for i in range(1, 256):
        v = OUTLINE_GREY + (255 - OUTLINE_GREY) * (i - 1) // 254
        palette += [v, v, v]
    image.putpalette(palette)
    return image


def _compose(fill, outline):
    """Sheet indices from fill and outline coverage (0..1 arrays): opaque where the
    outline covers at least half a pixel, white blended over the dark outline."""
    opaque = outline >= 0.5
    index = 1 + np.rint(np.clip(fill, 0.0, 1.0) * 254.0)
    return np.where(opaque, index, 0).astype(np.uint8)


def layout_main():
    """Top-left corner (x, y) of every main-font glyph, in sheet order."""
    placed = []
    for row, glyphs in enumerate(MAIN_ROWS):
        x = 0
        for ch, width in glyphs:
            placed.append((ch, width, x, row * MAIN_ROW_PITCH))
            x += width + 1
        if x - 1 > MAIN_SHEET:
            raise ValueError(f"row {row} does not fit the sheet")
    return placed


def layout_hints():
    placed, x, y = [], 0, 0
    for i, (code, width, height, direction) in enumerate(HINT_GLYPHS):
        if i == 2:
            x, y = 0, HINT_GLYPHS[0][2] + 1
        placed.append((code, width, height, direction, x, y))
        x += width + 1
    return placed


def _metrics(records, sheet_width, sheet_height):
    codes = bytes(code for code, *_ in records)
    out = bytearray(b"PYXF") + bytes((len(records),)) + codes
    for code, width, height, x, y in records:
        left = x * 65536 // sheet_width
        right = (x + width) * 65536 // sheet_width
        top = y * 65536 // sheet_height
        bottom = (y + height) * 65536 // sheet_height
        if max(left, right, top, bottom) > 0xFFFF:
            raise ValueError("a glyph touches the sheet's far edge")
        out += struct.pack("<6H", width, height, left, top, right, bottom)
    return bytes(out)


def _render_glyph(font, ch, stroke, baseline, scale_x, cell_w):
    """Fill and outline coverage of one glyph in a cell of cell_w x MAIN_HEIGHT."""
    ss = SUPERSAMPLE
    canvas_w = 4 * MAIN_HEIGHT * ss
    fill = Image.new("L", (canvas_w, MAIN_HEIGHT * ss))
    outline = Image.new("L", fill.size)
    origin = (canvas_w // 4, baseline)
    ImageDraw.Draw(fill).text(origin, ch, fill=255, font=font, anchor="ls")
    ImageDraw.Draw(outline).text(origin, ch, fill=255, font=font, anchor="ls",
                                 stroke_width=stroke, stroke_fill=255)
    box = outline.getbbox()
    target_w = cell_w * ss
    if box is None:
        empty = np.zeros((MAIN_HEIGHT, cell_w))
        return empty, empty
    left, right = box[0], box[2]
    ink_w = right - left
    # Keep the common stretch unless the glyph would not fit its cell.
    width = min(int(round(ink_w * scale_x)), target_w)
    x0 = (target_w - width) // 2
    result = []
    for layer in (fill, outline):
        strip = layer.crop((left, 0, right, layer.height)).resize(
            (max(width, 1), layer.height), Image.Resampling.LANCZOS)
        cell = Image.new("L", (target_w, layer.height))
        cell.paste(strip, (x0, 0))
        small = cell.resize((cell_w, MAIN_HEIGHT), Image.Resampling.BOX)
        result.append(np.asarray(small, dtype=np.float64) / 255.0)
    return result[0], result[1]


def main_font(font_path):
    """(metrics bytes, sheet image) of the main font."""
    ss = SUPERSAMPLE
    stroke = 3 * ss // 2  # a 1.5-pixel outline at sheet scale
    # The largest size whose inked extent, outline included, fits 27 rows.
    size = 40 * ss
    while True:
        font = ImageFont.truetype(font_path, size)
        top = min(font.getbbox(ch, anchor="ls", stroke_width=stroke)[1] for ch in MAIN_CHARSET)
        bottom = max(font.getbbox(ch, anchor="ls", stroke_width=stroke)[3]
                     for ch in MAIN_CHARSET)
        if bottom - top <= MAIN_HEIGHT * ss - 2:
            break
        size -= 1
    baseline = -top + 1
    # One horizontal stretch for all glyphs, so the letters look alike: the
    # median ratio of cell width to the glyph's advance width.
    ratios = sorted(width * ss / (font.getlength(ch) + 2 * stroke)
                    for row in MAIN_ROWS for ch, width in row if ch != " ")
    scale_x = ratios[len(ratios) // 2]

    grey = np.zeros((MAIN_SHEET, MAIN_SHEET), dtype=np.uint8)
    records = []
    for ch, width, x, y in layout_main():
        fill, outline = _render_glyph(font, ch, stroke, baseline, scale_x, width)
        grey[y:y + MAIN_HEIGHT, x:x + width] = _compose(fill, outline)
        records.append((ch.encode("cp1252")[0], width, MAIN_HEIGHT, x, y))
    return _metrics(records, MAIN_SHEET, MAIN_SHEET), _palette_image(grey)


def _arrow(direction, width, height):
    """Fill and outline coverage of an arrow icon filling a width x height cell."""
    ss = SUPERSAMPLE
    w, h = width * ss, height * ss
    horizontal = direction in ("left", "right")
    # Drawn pointing up in a box (long side vertical), then turned.
    bw, bh = (h, w) if horizontal else (w, h)
    m = 2.0 * ss  # room for the outline
    cx = bw / 2.0
    head = bh * 0.5
    shaft = bw * 0.2
    points = [(cx, m), (bw - m, m + head), (cx + shaft, m + head), (cx + shaft, bh - m),
              (cx - shaft, bh - m), (cx - shaft, m + head), (m, m + head)]
    shape = Image.new("L", (bw, bh))
    ImageDraw.Draw(shape).polygon(points, fill=255)
    # The outline: the arrow grown by 1.5 pixels of the sheet on every side.
    grown = shape.filter(ImageFilter.MaxFilter(2 * (3 * ss // 2) + 1))
    layers = []
    for image in (shape, grown):
        if direction == "down":
            image = image.transpose(Image.Transpose.ROTATE_180)
        elif direction == "left":
            image = image.transpose(Image.Transpose.ROTATE_90)
        elif direction == "right":
            image = image.transpose(Image.Transpose.ROTATE_270)
        small = image.resize((width, height), Image.Resampling.BOX)
        layers.append(np.asarray(small, dtype=np.float64) / 255.0)
    return layers[0], layers[1]


def hint_font():
    """(metrics bytes, sheet image) of the key-hint font: four arrows."""
    grey = np.zeros((HINT_SHEET, HINT_SHEET), dtype=np.uint8)
    records = []
    for code, width, height, direction, x, y in layout_hints():
        fill, outline = _arrow(direction, width, height)
        grey[y:y + height, x:x + width] = _compose(fill, outline)
        records.append((code, width, height, x, y))
    return _metrics(records, HINT_SHEET, HINT_SHEET), _palette_image(grey)


def sheet_bitmap(image):
    return dib.encode_bmp8(image)
