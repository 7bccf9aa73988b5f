#!/usr/bin/env bash
# Makes the picture fixtures of the decoder tests with ImageMagick, each with
# ImageMagick's own decoding of it as a PPM beside it (NAME.ppm), and the
# hand-built files that ImageMagick does not write (handmade_images.py).
#   tools/make_image_fixtures.sh [OUT_DIR]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=${1:-"$here/../tests/imaging/fixtures"}
mkdir -p "$out"
# ImageMagick's own program, not a wrapper that may stand before it on PATH.
IM=/usr/bin/convert
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# An odd-sized picture (rows need padding) of many colours, and its
# 200-colour and 16-colour versions.
"$IM" -size 37x23 -seed 7 plasma:fractal -depth 8 "$tmp/src.png"
"$IM" "$tmp/src.png" -colors 200 -depth 8 "$tmp/pal.png"
"$IM" "$tmp/src.png" -colors 16 -depth 8 "$tmp/pal16.png"
"$IM" "$tmp/src.png" -monochrome "$tmp/mono.gif"

make() { # make NAME INPUT FORMAT ARGS...
    local name=$1 input=$2 format=$3; shift 3
    "$IM" "$input" "$@" "$format:$out/$name"
    # Orientation applied: without -auto-orient ImageMagick keeps a TGA's
    # row order as a tag and hands back the rows as stored.
    "$IM" "$out/$name" -auto-orient -strip -depth 8 "ppm:$out/$name.ppm"
}

make bmp3_24.bmp "$tmp/src.png" BMP3 -type TrueColor
make bmp3_8.bmp "$tmp/pal.png" BMP3 -type Palette -compress None
make bmp3_4.bmp "$tmp/pal16.png" BMP3 -colors 16 -depth 4 -type Palette -compress None
make bmp3_1.bmp "$tmp/mono.gif" BMP3 -type Palette -compress None
make bmp3_rle8.bmp "$tmp/pal.png" BMP3 -type Palette -compress RLE
make os2_8.bmp "$tmp/pal.png" BMP2 -type Palette
make os2_24.bmp "$tmp/src.png" BMP2 -type TrueColor

make pcx_1.pcx "$tmp/mono.gif" PCX
# ImageMagick writes and reads one-bit PCX with the two colours swapped
# against the file's own table (entry 0 black, entry 1 white), which other
# readers follow: the reference of this one file is Pillow's decoding.
/usr/bin/python3 -c 'import sys; from PIL import Image; Image.open(sys.argv[1]).convert("RGB").save(sys.argv[2], "PPM")' \
    "$out/pcx_1.pcx" "$out/pcx_1.pcx.ppm"
make pcx_8.pcx "$tmp/pal.png" PCX -type Palette
make pcx_24.pcx "$tmp/src.png" PCX -type TrueColor

make gif_plain.gif "$tmp/pal.png" GIF -interlace none
make gif_interlaced.gif "$tmp/pal.png" GIF -interlace GIF
make gif_16.gif "$tmp/pal16.png" GIF -interlace none
make gif_4.gif "$tmp/src.png" GIF -colors 4 -interlace none
make gif_mono.gif "$tmp/mono.gif" GIF -interlace GIF

make tga_8.tga "$tmp/pal.png" TGA -type Palette -compress None
make tga_8_rle.tga "$tmp/pal.png" TGA -type Palette -compress RLE
make tga_24.tga "$tmp/src.png" TGA -type TrueColor -compress None
make tga_24_rle.tga "$tmp/src.png" TGA -type TrueColor -compress RLE
make tga_24_top.tga "$tmp/src.png" TGA -type TrueColor -compress None -orient TopLeft
make tga_24_rle_top.tga "$tmp/src.png" TGA -type TrueColor -compress RLE -orient TopLeft
make tga_24_top_right.tga "$tmp/src.png" TGA -type TrueColor -compress None -orient TopRight
make tga_8_bottom_right.tga "$tmp/pal.png" TGA -type Palette -compress RLE -orient BottomRight

# JPEG and PNG. Pictures with alpha get their reference as a PAM with the
# alpha channel (NAME.pam) as well.
"$IM" "$tmp/src.png" -colorspace Gray -depth 8 "$tmp/grey.png"
"$IM" "$tmp/src.png" \( -size 37x23 gradient:white-black -rotate 90 -resize '37x23!' \) \
    -alpha off -compose CopyOpacity -composite -depth 8 "$tmp/alpha.png"
# The greys of the JPEG and PNG fixtures in a GIF, which stays a colour picture.
make gif_grey.gif "$tmp/grey.png" GIF -interlace none
make jpeg_grey.jpg "$tmp/grey.png" JPEG -type Grayscale -quality 85
make jpeg_progressive.jpg "$tmp/grey.png" JPEG -type Grayscale -quality 85 -interlace JPEG
make jpeg_colour.jpg "$tmp/src.png" JPEG -type TrueColor -quality 85 -sampling-factor 2x2
# Greys in three channels, as some encoders write every picture.
make jpeg_grey_in_colour.jpg "$tmp/grey.png" JPEG -type TrueColor -quality 85
make png_grey.png "$tmp/grey.png" PNG -type Grayscale -define png:color-type=0
make png_grey_in_colour.png "$tmp/grey.png" PNG24 -type TrueColor
make png_colour.png "$tmp/src.png" PNG24
make png_palette.png "$tmp/pal.png" PNG8
make png_alpha.png "$tmp/alpha.png" PNG32
# Sixteen bits a channel, of values that are not eight-bit ones widened:
# the reduction to eight bits shows in the rounding. ImageMagick's own eight
# bits cut v / 257 down; the reference is its sixteen-bit decoding rounded to
# the nearest level instead (v x 255 / 65535), as the loader scales.
"$IM" -size 37x23 -seed 11 plasma:fractal -depth 16 "$tmp/src16.png"
"$IM" "$tmp/src16.png" "PNG48:$out/png_16.png"
"$IM" "$out/png_16.png" -strip -depth 16 "ppm:$tmp/png_16.ppm"
/usr/bin/python3 - "$tmp/png_16.ppm" "$out/png_16.png.ppm" <<'PY'
import sys
data = open(sys.argv[1], "rb").read()
fields, at = [], 0
while len(fields) < 4:  # P6, width, height, maximum, each after white space
    while data[at:at + 1].isspace():
        at += 1
    end = at
    while not data[end:end + 1].isspace():
        end += 1
    fields.append(data[at:end])
    at = end
at += 1
width, height, top = int(fields[1]), int(fields[2]), int(fields[3])
assert fields[0] == b"P6" and top == 65535
wide = data[at:at + width * height * 6]
levels = bytes((((wide[i] << 8 | wide[i + 1]) * 255 + 32767) // 65535) for i in range(0, len(wide), 2))
open(sys.argv[2], "wb").write(b"P6\n%d %d\n255\n" % (width, height) + levels)
PY
"$IM" "$out/png_alpha.png" -depth 8 "pam:$out/png_alpha.png.pam"
# Grey with alpha, as the live cloud maps with alpha are.
"$IM" "$tmp/grey.png" "$tmp/alpha.png" -compose CopyOpacity -composite -type GrayscaleAlpha \
    -define png:color-type=4 -depth 8 "PNG:$out/png_grey_alpha.png"
"$IM" "$out/png_grey_alpha.png" -depth 8 "pam:$out/png_grey_alpha.png.pam"
"$IM" "$out/png_grey_alpha.png" -depth 8 "ppm:$out/png_grey_alpha.png.ppm"
# Damaged files: a JPEG cut in half, a PNG whose image data checksum is wrong.
"$IM" "$tmp/src.png" -resize 200% -quality 85 "JPEG:$tmp/whole.jpg"
head -c $(($(stat -c %s "$tmp/whole.jpg") / 2)) "$tmp/whole.jpg" >"$out/jpeg_cut_in_half.jpg"
/usr/bin/python3 - "$out/png_colour.png" "$out/png_bad_crc.png" <<'PY'
import struct, sys
data = bytearray(open(sys.argv[1], "rb").read())
at = 8
while at < len(data):
    length, kind = struct.unpack(">I4s", data[at:at + 8])
    if kind == b"IDAT":
        crc = at + 8 + length
        data[crc:crc + 4] = bytes(b ^ 0xFF for b in data[crc:crc + 4])
        break
    at += 12 + length
open(sys.argv[2], "wb").write(data)
PY

/usr/bin/python3 "$here/handmade_images.py" "$out"
