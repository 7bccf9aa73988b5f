"""The picture bitmaps: Earth tiles, sun, moon, lens flare, halos and glow."""
import numpy as np
from PIL import Image

from . import dib

TILE_SIZE = 256

# How the equirectangular day map is cut into the eight globe tiles. The
# globe's patch 0 starts at mesh azimuth 0, which the location markers put at
# longitude -180 degrees, and azimuth grows eastwards; the northern patches
# have the pole at the top of their texture, the southern ones the equator.
# Change these, and only these, if the globe shows places off their markers.
EARTH_TILE_LAYOUT = {
    "first_longitude": -180.0,  # western edge of tiles 111 and 115
    "eastward": True,           # tile 112 lies east of tile 111
    "south_top": "equator",     # top row of tiles 115..118: "equator" or "pole"
}


def earth_tiles(day_map, layout=EARTH_TILE_LAYOUT):
    """The eight 256 x 256 RGB tiles (111..118) of an equirectangular map."""
    rgb = np.asarray(day_map.convert("RGB"))
    height, width, _ = rgb.shape
    if width != 2 * height or width % 4 != 0:
        raise ValueError("the day map must be a 2:1 equirectangular image")
    # Bring the tiles' first longitude to the left edge (the map starts at -180).
    shift = int(round((layout["first_longitude"] + 180.0) / 360.0 * width)) % width
    rgb = np.roll(rgb, -shift, axis=1)
    if not layout["eastward"]:
        rgb = rgb[:, ::-1]
    quarter, half = width // 4, height // 2
    tiles = []
    for i in range(8):
        column, south = i % 4, i >= 4
        rows = rgb[half:, :] if south else rgb[:half, :]
        if south and layout["south_top"] == "pole":
            rows = rows[::-1]
        block = rows[:, column * quarter:(column + 1) * quarter]
        tile = Image.fromarray(np.ascontiguousarray(block)).resize(
            (TILE_SIZE, TILE_SIZE), Image.Resampling.BOX)
        tiles.append(tile)
    return tiles


# The city lights are faint points in the map; halving it to the tiles dims
# them further, so their brightness is raised before the ramp.
NIGHT_GAIN = 1.6


def night_ramp():
    """The night tiles' 256 colours: black, then the orange of sodium lamps
    brightening to a warm pale yellow (red before green before blue)."""
    v = np.arange(256, dtype=np.float64) / 255.0
    red = np.clip(1.15 * v, 0.0, 1.0)
    green = 0.86 * v ** 1.15
    blue = 0.48 * v ** 1.7
    return np.rint(np.stack([red, green, blue], axis=-1) * 255.0).astype(np.uint8)


def night_tiles(night_map, layout=EARTH_TILE_LAYOUT):
    """The eight night tiles (151..158): cut as the day tiles are, each pixel's
    brightness (gained) an index into night_ramp(), as palettized images."""
    ramp = night_ramp()
    tiles = []
    for tile in earth_tiles(night_map, layout):
        rgb = np.asarray(tile, dtype=np.float64)
        brightness = np.clip(NIGHT_GAIN * rgb.mean(axis=-1) / 255.0, 0.0, 1.0)
        index = np.rint(brightness * 255.0).astype(np.uint8)
        image = Image.frombytes("P", (index.shape[1], index.shape[0]), index.tobytes())
        image.putpalette(ramp.reshape(-1).tolist())
        tiles.append(image)
    return tiles


def tiles_picture(tiles, font_path):
    """The eight tiles side by side in resource order, each labelled with its id."""
    from PIL import ImageDraw, ImageFont

    cell, gap, label = 128, 4, 20
    picture = Image.new("RGB", (8 * cell + 7 * gap, cell + label), (48, 48, 56))
    draw = ImageDraw.Draw(picture)
    font = ImageFont.truetype(font_path, 14)
    for i, tile in enumerate(tiles):
        x = i * (cell + gap)
        picture.paste(tile.resize((cell, cell), Image.Resampling.BOX), (x, 0))
        text = str(111 + i)
        draw.text((x + cell // 2, cell + label // 2), text, fill=(255, 255, 255), font=font,
                  anchor="mm")
    return picture


def moon(moon_map):
    """The moon's texture: its whole equirectangular map in 256 x 256."""
    return moon_map.convert("RGB").resize((TILE_SIZE, TILE_SIZE), Image.Resampling.LANCZOS)


def _smooth_noise(rng, size, cells):
    """Value noise: a coarse random grid scaled up smoothly, wrapping at the edges."""
    grid = rng.random_sample((cells, cells))
    image = Image.fromarray((grid * 255).astype(np.uint8), mode="L")
    tiled = Image.new("L", (3 * cells, 3 * cells))
    for dy in range(3):
        for dx in range(3):
            tiled.paste(image, (dx * cells, dy * cells))
    big = tiled.resize((3 * size, 3 * size), Image.Resampling.BICUBIC)
    return np.asarray(big, dtype=np.float64)[size:2 * size, size:2 * size] / 255.0


def sun():
    """A photosphere: granulation over a hot yellow-orange, with a few dark spots."""
    rng = np.random.RandomState(1999)
    size = TILE_SIZE
    detail = (0.5 * _smooth_noise(rng, size, 64) + 0.3 * _smooth_noise(rng, size, 32)
              + 0.2 * _smooth_noise(rng, size, 8))
    brightness = 0.78 + 0.3 * (detail - 0.5)
    y, x = np.mgrid[0:size, 0:size].astype(np.float64)
    for cx, cy, radius in ((70, 110, 7), (96, 118, 4), (180, 150, 6), (200, 140, 3)):
        d = np.hypot(x - cx, y - cy) / radius
        brightness *= 1.0 - 0.55 * np.exp(-d * d)
    brightness = np.clip(brightness, 0.0, 1.0)
    red = np.clip(255 * (0.35 + 0.75 * brightness), 0, 255)
    green = np.clip(255 * (0.05 + 0.85 * brightness ** 1.4), 0, 255)
    blue = np.clip(255 * (0.55 * brightness ** 4), 0, 255)
    rgb = np.stack([red, green, blue], axis=-1).astype(np.uint8)
    return Image.fromarray(rgb)


def _radius_grid(size=TILE_SIZE):
    c = (size - 1) / 2.0
    y, x = np.mgrid[0:size, 0:size].astype(np.float64)
    return np.hypot(x - c, y - c) / (size / 2.0), np.arctan2(y - c, x - c)


def _edge_fade(r, width):
    """1 inside, falling to 0 just before the border, so no border pixel is lit."""
    return np.clip((0.96 - r) / width, 0.0, 1.0)


def _to_grey(values):
    return np.clip(np.rint(values * 255.0), 0, 255).astype(np.uint8)


def glow():
    """Bitmap 121: a soft round glow, brightest in the middle, black at the edge."""
    r, _ = _radius_grid()
    values = np.clip(1.0 - r, 0.0, 1.0) ** 2.2 * _edge_fade(r, 0.1)
    return _to_grey(values)


def halo(kind):
    """Bitmaps 122..124: rings of different widths and radii, black outside."""
    r, _ = _radius_grid()
    fade = _edge_fade(r, 0.08)
    if kind == 0:    # thin bright ring
        values = np.exp(-((r - 0.82) / 0.05) ** 2)
    elif kind == 1:  # wide faint ring with a filled centre
        values = 0.8 * np.exp(-((r - 0.6) / 0.18) ** 2) + 0.25 * np.exp(-(r / 0.3) ** 2)
    else:            # disc with a bright rim
        values = 0.35 * np.clip(1.0 - r / 0.7, 0.0, 1.0) ** 0.5 + np.exp(-((r - 0.7) / 0.04) ** 2)
        values = np.where(r < 0.7, np.maximum(values, 0.2), values)
    return _to_grey(np.clip(values, 0.0, 1.0) * fade)


def sun_flare():
    """Bitmap 138: a bright core with a soft star of rays."""
    r, angle = _radius_grid()
    core = np.exp(-(r / 0.12) ** 2) + 0.45 * np.exp(-(r / 0.35) ** 2)
    rays = np.zeros_like(r)
    for count, width, weight in ((4, 0.035, 0.9), (4, 0.02, 0.5)):
        offset = 0.0 if weight > 0.6 else np.pi / 4
        a = np.abs(np.sin(count / 2.0 * (angle - offset)))
        rays += weight * np.exp(-(a / width) ** 2) * np.exp(-r / 0.45)
    values = (core + rays) * _edge_fade(r, 0.1)
    return _to_grey(np.clip(values, 0.0, 1.0))


def globe_icon(day_map, size, supersample=4):
    """A small lit globe over transparency, rendered from the day map (RGBA)."""
    n = size * supersample
    src = np.asarray(day_map.convert("RGB"), dtype=np.float64)
    h, w, _ = src.shape
    c = (n - 1) / 2.0
    y, x = np.mgrid[0:n, 0:n].astype(np.float64)
    sx, sy = (x - c) / (n / 2.0 - supersample), -(y - c) / (n / 2.0 - supersample)
    rr = sx * sx + sy * sy
    inside = rr <= 1.0
    sz = np.sqrt(np.clip(1.0 - rr, 0.0, 1.0))
    # Tilted a little towards the viewer so the northern hemisphere shows.
    tilt = np.radians(20.0)
    py = sy * np.cos(tilt) + sz * np.sin(tilt)
    pz = -sy * np.sin(tilt) + sz * np.cos(tilt)
    lat = np.arcsin(np.clip(py, -1.0, 1.0))
    lon = np.arctan2(sx, pz) + np.radians(10.0)  # Europe and Africa in front
    u = ((lon / (2 * np.pi) + 0.5) % 1.0) * (w - 1)
    v = (0.5 - lat / np.pi) * (h - 1)
    colour = src[np.rint(v).astype(int), np.rint(u).astype(int)]
    light = np.clip(0.25 + 0.85 * (sx * -0.45 + sy * 0.45 + sz * 0.77), 0.15, 1.0)
    rgb = np.clip(colour * light[..., None], 0, 255)
    alpha = inside * 255.0
    rgba = np.dstack([rgb, alpha]).astype(np.uint8)
    return Image.fromarray(rgba, mode="RGBA").resize((size, size), Image.Resampling.BOX)


def to_bitmap(image):
    """The .bmp bytes of an RGB image, a palettized one or 8-bit grey values."""
    if isinstance(image, np.ndarray):
        return dib.encode_bmp8(dib.grey_palette_image(image))
    if image.mode == "P":
        return dib.encode_bmp8(image)
    return dib.encode_bmp8(dib.quantize(image))
