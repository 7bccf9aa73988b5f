#!/usr/bin/python3
"""An independent implementation of the cloud filter, written from its
description alone, and the golden result it makes for the unit tests.

The filter, on a map of W x H pixels (0xAARRGGBB, row 0 at the bottom):
 1. Copy the map into a work area of (W + 2) x (H + 2) pixels: map row r in
    work row r + 1, columns 1 .. W; column 0 gets the row's last map pixel,
    column W + 1 its first; work rows 0 and H + 1 are transparent black.
 2. Classify every work pixel: if its red, green and blue equal one of the
    cloud colours, alpha becomes 255 and the colour stays; else the pixel
    becomes 0.
 3. Three times: walk work rows 1 .. H - 1, all W + 2 columns in order, and
    replace each pixel in place (neighbours already replaced in this pass
    are read in their new state). Blue, green and red each become the sum
    of that channel over the 3 x 3 block centred on the pixel times 0.11111,
    truncated; alpha the sum of the three new channels times 0.33333,
    truncated. The area is one continuous run of pixels: the left
    neighbours of column 0 are the last pixels of the rows before, the
    right neighbours of column W + 1 the first of the rows after. (The one
    neighbour that would lie before the area, up and left of the first
    pixel walked, is taken as transparent black, like the rest of row 0.)
 4. Copy work rows 1 .. H, columns 1 .. W back into the map.

    cloud_filter_reference.py OUT_FILE

writes a test picture and its filtered result as text: the size, the
cloud colours, then the input's and the output's non-zero pixels as
"index value" lines (index = row * W + column, value in hexadecimal).
"""
import random
import sys

W, H = 1024, 512

# The default cloud colours of the preferences.
CLOUD_COLOURS = [
    0x4A5963, 0x52616B, 0x5A656B, 0x636D73, 0x73797B, 0x7B8284, 0x84868C,
    0x84868C, 0x9C9A9C, 0xA5A2A5, 0xB5B2B5, 0xBDBABD, 0xC6C3C6, 0xCECBCE,
    0xD6D3D6, 0xDEDBDE, 0xE7E3E7, 0xEFEFEF, 0xF7F7F7, 0xFFFFFF,
]


def test_picture():
    """Sparse: {index: pixel}; everything else 0 (black, not a cloud colour)."""
    rng = random.Random(1967)
    px = {}

    def put(x, y, v):
        px[(y % H) * W + (x % W)] = v

    # Isolated cloud pixels: the brightest and the darkest cloud colour, and
    # white carrying alpha bits (only red, green and blue are compared).
    put(300, 200, 0xFFFFFF)
    put(700, 100, 0x4A5963)
    put(500, 400, 0x7FFFFFFF)
    # Colours next to cloud colours, which are not cloud.
    put(310, 200, 0xFEFFFF)
    put(320, 200, 0x4A5964)
    put(330, 200, 0x0084868D)
    # Two pixels close enough to blend.
    put(600, 300, 0xFFFFFF)
    put(602, 301, 0xB5B2B5)
    # A cloud across the left and right edges (the map wraps round).
    for y in range(240, 250):
        for x in range(-6, 6):
            put(x, y, CLOUD_COLOURS[(x + y) % 20])
    # Clouds in the top row (not smoothed) and the bottom row (smoothed
    # against transparent black), one of each also on the wrap.
    for x in range(100, 140):
        put(x, H - 1, 0xFFFFFF if x % 3 else 0xCECBCE)
        put(x, 0, 0xEFEFEF)
    put(W - 1, H - 1, 0xFFFFFF)
    put(0, 0, 0xFFFFFF)
    # A patch of mixed cloud and other colours.
    for y in range(60, 90):
        for x in range(850, 890):
            r = rng.random()
            if r < 0.6:
                put(x, y, rng.choice(CLOUD_COLOURS))
            elif r < 0.8:
                put(x, y, rng.randrange(1 << 24))
    return px


def cloud_filter(pixels):
    S = W + 2
    work = [0] * (S * (H + 2))
    for r in range(H):
        row = pixels[r * W:(r + 1) * W]
        base = (r + 1) * S
        work[base] = row[W - 1]
        work[base + 1:base + 1 + W] = row
        work[base + W + 1] = row[0]
    clouds = set(CLOUD_COLOURS)
    work = [(p & 0xFFFFFF) | 0xFF000000 if (p & 0xFFFFFF) in clouds else 0 for p in work]
    blue = [p & 0xFF for p in work]
    green = [(p >> 8) & 0xFF for p in work]
    red = [(p >> 16) & 0xFF for p in work]
    alpha = [p >> 24 for p in work]

    def at(channel, i):
        return channel[i] if 0 <= i < len(channel) else 0

    for _ in range(3):
        for i in range(S, S * H):
            block = (i - S - 1, i - S, i - S + 1, i - 1, i, i + 1, i + S - 1, i + S, i + S + 1)
            b = int(sum(at(blue, j) for j in block) * 0.11111)
            g = int(sum(at(green, j) for j in block) * 0.11111)
            r = int(sum(at(red, j) for j in block) * 0.11111)
            blue[i], green[i], red[i] = b, g, r
            alpha[i] = int((b + g + r) * 0.33333)
    out = [0] * (W * H)
    for r in range(H):
        for c in range(W):
            i = (r + 1) * S + c + 1
            out[r * W + c] = alpha[i] << 24 | red[i] << 16 | green[i] << 8 | blue[i]
    return out


def main():
    sparse = test_picture()
    pixels = [0] * (W * H)
    for i, v in sparse.items():
        pixels[i] = v
    result = cloud_filter(pixels)
    with open(sys.argv[1], "w") as f:
        f.write(f"{W} {H}\n")
        f.write(" ".join(f"{c:06X}" for c in CLOUD_COLOURS) + "\n")
        f.write(f"input {len(sparse)}\n")
        for i in sorted(sparse):
            f.write(f"{i} {sparse[i]:08X}\n")
        nonzero = [(i, v) for i, v in enumerate(result) if v]
        f.write(f"output {len(nonzero)}\n")
        for i, v in nonzero:
            f.write(f"{i} {v:08X}\n")


if __name__ == "__main__":
    main()
