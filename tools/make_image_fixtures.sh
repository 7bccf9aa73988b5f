#!/usr/bin/env bash
# Makes the picture fixtures of the decoder tests with ImageMagick, each with
# ImageMagick's own decoding of it as a PPM beside it (NAME.ppm), and the
# hand-built files that ImageMagick does not write (handmade_images.py).
#   tools/make_image_fixtures.sh [OUT_DIR]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=${1:-"$here/../tests/clouds/fixtures"}
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

/usr/bin/python3 "$here/handmade_images.py" "$out"
