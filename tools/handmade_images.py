#!/usr/bin/python3
"""Picture files that ImageMagick does not write, built byte by byte, each
with the picture it holds as NAME.ppm beside it. Where ImageMagick reads
the file, its decoding is checked against that picture, so every file is
one that another decoder takes the same way.

    handmade_images.py OUT_DIR
"""
import os
import random
import struct
import subprocess
import sys

IM = "/usr/bin/convert"


def ppm(width, height, rgb_rows):
    """rgb_rows: top row first, each a list of (r, g, b)."""
    body = bytes(c for row in rgb_rows for px in row for c in px)
    return b"P6\n%d %d\n255\n" % (width, height) + body


def write(out, name, data, width, height, rgb_rows, imagemagick_reads=True):
    with open(os.path.join(out, name), "wb") as f:
        f.write(data)
    picture = ppm(width, height, rgb_rows)
    with open(os.path.join(out, name + ".ppm"), "wb") as f:
        f.write(picture)
    if imagemagick_reads:
        theirs = subprocess.run([IM, os.path.join(out, name), "-auto-orient", "-strip", "-depth", "8",
                                 "ppm:-"],
                                check=True, capture_output=True).stdout
        if theirs != picture:
            sys.exit(f"{name}: ImageMagick decodes another picture")


def palette16(seed):
    rng = random.Random(seed)
    return [(rng.randrange(256), rng.randrange(256), rng.randrange(256)) for _ in range(16)]


# --- BMP with 4-bit run-length data -------------------------------------

def bmp_rle4(out):
    w, h = 13, 6
    pal = palette16(4)
    rows = [[0] * w for _ in range(h)]  # bottom row first
    data = bytearray()
    # Row 0: a run of 7 alternating 1/2, a literal of 5 (odd, padded), one more run.
    data += bytes([7, 0x12])
    lit = [3, 4, 5, 6, 7]
    data += bytes([0, 5, 0x34, 0x56, 0x70, 0])  # 3 bytes + 1 pad byte
    data += bytes([1, 0x90])
    rows[0][0:7] = [1, 2, 1, 2, 1, 2, 1]
    rows[0][7:12] = lit
    rows[0][12] = 9
    data += bytes([0, 0])
    # Row 1: delta right 4 and up 1 (to row 2, column 4), a run of 3 of 15.
    data += bytes([0, 2, 4, 1])
    data += bytes([3, 0xFF])
    rows[2][4:7] = [15, 15, 15]
    data += bytes([0, 0])
    # Row 3: a literal of 4, then a run of 9 of 8/10 (ends at the right edge).
    data += bytes([0, 4, 0xAB, 0xCD])
    rows[3][0:4] = [10, 11, 12, 13]
    data += bytes([9, 0x8A])
    rows[3][4:13] = [8, 10, 8, 10, 8, 10, 8, 10, 8]
    data += bytes([0, 0])
    # Row 4: a run of 13 of 14; row 5: a run of 6 of 5/3, the rest of the
    # row left unwritten; end of picture.
    data += bytes([13, 0xEE])
    rows[4] = [14] * 13
    data += bytes([0, 0])
    data += bytes([6, 0x53])
    rows[5][0:6] = [5, 3, 5, 3, 5, 3]
    data += bytes([0, 0, 0, 1])
    table = b"".join(bytes([b, g, r, 0]) for r, g, b in pal)
    offset = 14 + 40 + len(table)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 4, 2, len(data), 2835, 2835, 16, 0)
    head = b"BM" + struct.pack("<IHHI", offset + len(data), 0, 0, offset)
    rgb = [[pal[i] for i in rows[y]] for y in reversed(range(h))]
    write(out, "bmp_rle4.bmp", head + info + table + bytes(data), w, h, rgb)


# --- PCX with four planes of one bit ------------------------------------

def pcx_rle(line):
    out = bytearray()
    i = 0
    while i < len(line):
        n = 1
        while i + n < len(line) and line[i + n] == line[i] and n < 63:
            n += 1
        if n > 1 or line[i] >= 192:
            out += bytes([192 + n, line[i]])
        else:
            out.append(line[i])
        i += n
    return out


def pcx_four_planes(out):
    w, h = 21, 9
    pal = palette16(16)
    rng = random.Random(5)
    pix = [[rng.randrange(16) for _ in range(w)] for _ in range(h)]  # top row first
    for x in range(w):  # a long run in the first row
        pix[0][x] = 6
    bpl = ((w + 7) // 8 + 1) & ~1
    header = bytearray(128)
    header[0:4] = bytes([10, 5, 1, 1])
    struct.pack_into("<HHHHHH", header, 4, 0, 0, w - 1, h - 1, 150, 150)
    header[16:64] = b"".join(bytes(c) for c in pal)
    header[65] = 4
    struct.pack_into("<HH", header, 66, bpl, 1)
    body = bytearray()
    for row in pix:
        line = bytearray()
        for p in range(4):
            plane = bytearray(bpl)
            for x, v in enumerate(row):
                if (v >> p) & 1:
                    plane[x // 8] |= 0x80 >> (x % 8)
            line += plane
        body += pcx_rle(line)
    rgb = [[pal[v] for v in row] for row in pix]
    write(out, "pcx_4plane.pcx", bytes(header) + bytes(body), w, h, rgb)


# --- GIF ----------------------------------------------------------------

def lzw(indices, min_code_size, deferred_clear=False):
    """GIF LZW: a clear code first; with a full table, a clear code, or with
    deferred_clear the full table kept (no clear) until the end."""
    clear, end = 1 << min_code_size, (1 << min_code_size) + 1
    codes = []  # (code, size)
    size = min_code_size + 1
    table = {}
    nxt = clear + 2
    codes.append((clear, size))
    w = (indices[0],)
    for k in indices[1:]:
        wk = w + (k,)
        if wk in table or len(wk) == 1:
            w = wk
            continue
        codes.append((table[w] if len(w) > 1 else w[0], size))
        if nxt < 4096:
            table[wk] = nxt
            nxt += 1
            if nxt > (1 << size) and size < 12:
                size += 1
        elif not deferred_clear:
            codes.append((clear, size))
            table, nxt, size = {}, clear + 2, min_code_size + 1
        w = (k,)
    codes.append((table[w] if len(w) > 1 else w[0], size))
    codes.append((end, size))
    bits = 0
    count = 0
    data = bytearray()
    for code, n in codes:
        bits |= code << count
        count += n
        while count >= 8:
            data.append(bits & 0xFF)
            bits >>= 8
            count -= 8
    if count:
        data.append(bits & 0xFF)
    return data, sum(1 for c, _ in codes if c == clear)


def sub_blocks(data, size=255):
    out = bytearray()
    for i in range(0, len(data), size):
        chunk = data[i:i + size]
        out += bytes([len(chunk)]) + chunk
    return out + b"\0"


def gif(width, height, indices, global_table=None, local_table=None, resolution_bits=8,
        extensions=b"", interlaced=False, min_code_size=None, deferred_clear=False,
        table_size_field=None):
    def table_field(table):
        n = len(table)
        return table_size_field if table_size_field is not None else max(n.bit_length() - 2, 0)
    packed = (resolution_bits - 1) << 4
    gt = b""
    if global_table:
        packed |= 0x80 | table_field(global_table)
        gt = b"".join(bytes(c) for c in global_table)
    head = b"GIF89a" + struct.pack("<HHBBB", width, height, packed, 0, 0) + gt
    image_packed = 0x40 if interlaced else 0
    lt = b""
    if local_table:
        image_packed |= 0x80 | table_field(local_table)
        lt = b"".join(bytes(c) for c in local_table)
    desc = b"," + struct.pack("<HHHHB", 0, 0, width, height, image_packed) + lt
    if min_code_size is None:
        min_code_size = max(2, (max(indices)).bit_length())
    order = indices
    if interlaced:
        rows = [indices[y * width:(y + 1) * width] for y in range(height)]
        order = []
        for start, step in ((0, 8), (4, 8), (2, 4), (1, 2)):
            for y in range(start, height, step):
                order += rows[y]
    data, clears = lzw(order, min_code_size, deferred_clear)
    return head + extensions + desc + bytes([min_code_size]) + sub_blocks(data) + b";", clears


def rows_of(indices, width, height, colour):
    return [[colour(indices[y * width + x]) for x in range(width)] for y in range(height)]


def gif_files(out):
    pal = palette16(9)
    rng = random.Random(11)

    # Extensions of more than one data sub-block before the picture: a
    # comment of 600 bytes, an XMP application block, a plain-text block,
    # and a graphic control block with transparency (index 5).
    w, h = 17, 11
    idx = [rng.randrange(16) for _ in range(w * h)]
    comment = b"!\xfe" + sub_blocks(bytes((i * 7) % 251 + 1 for i in range(600)))
    xmp = b"!\xff\x0bXMP DataXMP" + sub_blocks(b"<x:xmpmeta>" + b"a" * 400 + b"</x:xmpmeta>", 100)
    text = b"!\x01\x0c" + bytes(12) + sub_blocks(b"hello, clouds " * 30, 200)
    control = b"!\xf9\x04\x01\x00\x00\x05\x00"
    data, _ = gif(w, h, idx, global_table=pal, extensions=comment + xmp + text + control)
    write(out, "gif_extensions.gif", data, w, h, rows_of(idx, w, h, lambda i: pal[i]))

    # More than 4096 codes with the table kept full, no clear code.
    w, h = 160, 120
    idx = [rng.randrange(16) for _ in range(w * h)]
    data, clears = gif(w, h, idx, global_table=pal, deferred_clear=True)
    assert clears == 1, clears
    write(out, "gif_deferred_clear.gif", data, w, h, rows_of(idx, w, h, lambda i: pal[i]))

    # Neither a global nor a local table: black and white. ImageMagick
    # makes up its own table for these.
    w, h = 19, 7
    idx = [rng.randrange(2) for _ in range(w * h)]
    bw = [(0, 0, 0), (255, 255, 255)]
    data, _ = gif(w, h, idx, resolution_bits=1)
    write(out, "gif_no_table.gif", data, w, h, rows_of(idx, w, h, lambda i: bw[i]), False)

    # A local table in place of the global one.
    w, h = 23, 9
    idx = [rng.randrange(8) for _ in range(w * h)]
    local = palette16(21)[:8]
    data, _ = gif(w, h, idx, global_table=palette16(22)[:4], local_table=local, interlaced=True)
    write(out, "gif_local_table.gif", data, w, h, rows_of(idx, w, h, lambda i: local[i]))

    # A 16-colour table under a colour resolution of one bit.
    w, h = 15, 10
    idx = [rng.randrange(16) for _ in range(w * h)]
    data, _ = gif(w, h, idx, global_table=pal, resolution_bits=1)
    write(out, "gif_16_resolution1.gif", data, w, h, rows_of(idx, w, h, lambda i: pal[i]))

    # Interlaced, one row high.
    w, h = 9, 1
    idx = [rng.randrange(16) for _ in range(w * h)]
    data, _ = gif(w, h, idx, global_table=pal, interlaced=True)
    write(out, "gif_interlaced_row.gif", data, w, h, rows_of(idx, w, h, lambda i: pal[i]))


if __name__ == "__main__":
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    bmp_rle4(out)
    pcx_four_planes(out)
    gif_files(out)
