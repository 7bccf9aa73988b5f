"""Windows device-independent bitmaps, 8 bits per pixel with a colour table.

The files are written as ordinary .bmp files (14-byte file header first) so
that any viewer opens them; the build strips the file header, because a
bitmap resource holds only the info header, the colour table and the pixels.
"""
import struct

import numpy as np
from PIL import Image

FILE_HEADER_SIZE = 14
INFO_HEADER_SIZE = 40
PIXELS_PER_METRE = 2835  # 72 dots per inch


def encode_bmp8(image):
    """The bytes of a .bmp file for a palettized ("P") PIL image."""
    if image.mode != "P":
        raise ValueError("an 8-bit palettized image is expected")
    width, height = image.size
    palette = image.getpalette() or []
    palette = (palette + [0] * 768)[:768]
    colour_table = bytearray()
    for i in range(256):
        r, g, b = palette[3 * i:3 * i + 3]
        colour_table += bytes((b, g, r, 0))
    stride = (width + 3) & ~3
    pixels = np.asarray(image, dtype=np.uint8)
    rows = np.zeros((height, stride), dtype=np.uint8)
    rows[:, :width] = pixels
    # Rows are stored bottom row first (positive height).
    data = rows[::-1].tobytes()
    offset = FILE_HEADER_SIZE + INFO_HEADER_SIZE + len(colour_table)
    info = struct.pack("<IiiHHIIiiII", INFO_HEADER_SIZE, width, height, 1, 8, 0, len(data),
                       PIXELS_PER_METRE, PIXELS_PER_METRE, 256, 0)
    header = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    return header + info + bytes(colour_table) + data


def grey_palette_image(values):
    """A palettized image of 8-bit grey values, with the identity grey ramp."""
    values = np.ascontiguousarray(values, dtype=np.uint8)
    image = Image.frombytes("P", (values.shape[1], values.shape[0]), values.tobytes())
    image.putpalette([v for i in range(256) for v in (i, i, i)])
    return image


def quantize(image):
    """The image reduced to its own best 256-colour palette."""
    return image.convert("RGB").quantize(colors=256, method=Image.Quantize.MEDIANCUT,
                                         dither=Image.Dither.FLOYDSTEINBERG)
