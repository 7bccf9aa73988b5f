#!/usr/bin/python3
"""Checks of the resource generators' building blocks (run with /usr/bin/python3)."""
import os
import struct
import sys
import unittest

try:
    import numpy as np
    from PIL import Image
except ImportError:
    print("SKIPPED: python3-pil and python3-numpy are needed")
    sys.exit(77)

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))

from resgen import cities, dib, fonts, images  # noqa: E402


def labelled_map():
    """A 2048 x 1024 map whose red channel is the longitude quarter (0..3),
    green the hemisphere (0 north, 1 south) and blue the row within the half."""
    a = np.zeros((1024, 2048, 3), dtype=np.uint8)
    for q in range(4):
        a[:, q * 512:(q + 1) * 512, 0] = q
    a[512:, :, 1] = 1
    rows = (np.arange(512) // 2).astype(np.uint8)  # 0..255 within each half
    a[:512, :, 2] = rows[:, None]
    a[512:, :, 2] = rows[:, None]
    return Image.fromarray(a)


class EarthTiles(unittest.TestCase):
    def test_tiles_are_the_quarters_of_each_half_from_minus_180_eastwards(self):
        tiles = [np.asarray(t) for t in images.earth_tiles(labelled_map())]
        self.assertEqual(len(tiles), 8)
        for i, t in enumerate(tiles):
            self.assertEqual(t.shape, (256, 256, 3))
            self.assertTrue((t[..., 0] == i % 4).all(), f"tile {111 + i} longitudes")
            self.assertTrue((t[..., 1] == (1 if i >= 4 else 0)).all(), f"tile {111 + i} half")
            # North: pole on the top row; south: equator on the top row.
            self.assertEqual(t[0, 0, 2], 0)
            self.assertEqual(t[255, 0, 2], 255)

    def test_the_cutting_is_a_parameter(self):
        layout = {"first_longitude": 0.0, "eastward": True, "south_top": "pole"}
        tiles = [np.asarray(t) for t in images.earth_tiles(labelled_map(), layout)]
        self.assertEqual(tiles[0][0, 0, 0], 2)  # 0..90 E is the map's third quarter
        self.assertEqual(tiles[3][0, 0, 0], 1)  # wraps round to -90..0
        self.assertEqual(tiles[4][0, 0, 2], 255)  # south pole on top
        layout = {"first_longitude": -180.0, "eastward": False, "south_top": "equator"}
        tiles = [np.asarray(t) for t in images.earth_tiles(labelled_map(), layout)]
        self.assertEqual(tiles[0][0, 0, 0], 3)


class NightTiles(unittest.TestCase):
    def test_cut_like_the_day_tiles_with_brightness_on_a_warm_ramp(self):
        # A map dark but for one lit block in each tile's top-left corner,
        # brighter from tile to tile: tile i is lit at (i + 1) * 20.
        a = np.zeros((1024, 2048, 3), dtype=np.uint8)
        for i in range(8):
            row, col = (512 if i >= 4 else 0), (i % 4) * 512
            a[row:row + 64, col:col + 64] = (i + 1) * 20
        tiles = images.night_tiles(Image.fromarray(a))
        ramp = images.night_ramp()
        self.assertEqual(len(tiles), 8)
        for i, tile in enumerate(tiles):
            self.assertEqual(tile.mode, "P")
            self.assertEqual(tile.size, (256, 256))
            index = np.asarray(tile)
            # The block halves with the tile: 32 x 32 pixels in the corner.
            self.assertTrue((index[:32, :32] == index[0, 0]).all())
            self.assertEqual(index[40:, 40:].max(), 0, f"tile {151 + i} dark elsewhere")
            expected = min(255, round(images.NIGHT_GAIN * (i + 1) * 20))
            self.assertEqual(index[0, 0], expected)
        # Black stays black; every lit colour is warm: red over green over blue.
        self.assertEqual(tuple(ramp[0]), (0, 0, 0))
        for level in (40, 128, 255):
            r, g, b = (int(c) for c in ramp[level])
            self.assertGreater(r, g)
            self.assertGreater(g, b)
        self.assertTrue((np.diff(ramp.astype(int), axis=0) >= 0).all(), "brighter all the way")

    def test_written_as_palettized_bitmaps_with_the_ramp(self):
        tile = images.night_tiles(Image.new("RGB", (2048, 1024), (200, 200, 200)))[0]
        data = images.to_bitmap(tile)
        self.assertEqual(struct.unpack_from("<H", data, 28)[0], 8)  # bits per pixel
        table = data[54:54 + 1024]
        top = images.night_ramp()[255]
        self.assertEqual(tuple(table[4 * 255:4 * 255 + 3]), (top[2], top[1], top[0]))


class Bitmaps(unittest.TestCase):
    def test_rows_are_stored_bottom_up_and_padded_to_four_bytes(self):
        grey = np.array([[1, 2, 3], [4, 5, 6]], dtype=np.uint8)
        data = dib.encode_bmp8(dib.grey_palette_image(grey))
        self.assertEqual(data[:2], b"BM")
        size, offset = struct.unpack_from("<I4xI", data, 2)
        self.assertEqual(size, len(data))
        self.assertEqual(offset, 14 + 40 + 1024)
        width, height, planes, bits = struct.unpack_from("<iiHH", data, 18)
        self.assertEqual((width, height, planes, bits), (3, 2, 1, 8))
        self.assertEqual(data[offset:], bytes([4, 5, 6, 0, 1, 2, 3, 0]))
        # Grey ramp: entry i is (i, i, i) stored blue, green, red, 0.
        self.assertEqual(data[54 + 4 * 200:54 + 4 * 201], bytes([200, 200, 200, 0]))


class Names(unittest.TestCase):
    def fold(self, name):
        return cities.fold_name(name, fonts.MAIN_CHARSET)

    def test_letters_of_the_font_are_kept(self):
        self.assertEqual(self.fold("Bogotá"), "Bogotá")
        self.assertEqual(self.fold("Zürich"), "Zürich")
        self.assertEqual(self.fold("São Paulo"), "São Paulo")

    def test_other_letters_make_the_whole_name_plain(self):
        self.assertEqual(self.fold("Łódź"), "Lodz")
        self.assertEqual(self.fold("Malmö"), "Malmo")
        self.assertEqual(self.fold("Straße"), "Strasse")
        self.assertEqual(self.fold("Nuku‘alofa"), "Nuku'alofa")

    def test_first_letter_upper_case_and_spaces_collapsed(self):
        self.assertEqual(self.fold("les  Escaldes "), "Les Escaldes")

    def test_names_that_cannot_be_spelt_or_are_too_long(self):
        self.assertIsNone(self.fold("北京"))
        self.assertIsNone(self.fold("A" * 26))
        self.assertEqual(self.fold("A" * 25), "A" * 25)

    def test_case_insensitive_key(self):
        self.assertEqual(cities.lower_cp1252("ÁÉ Zü".encode("cp1252")), "áé zü".encode("cp1252"))
        self.assertEqual(cities.lower_cp1252(b"\xd7"), b"\xd7")  # multiplication sign


class Offsets(unittest.TestCase):
    def test_standard_offsets_in_whole_hours(self):
        cases = {
            "Europe/London": 0, "Europe/Dublin": 0, "America/New_York": -5,
            "Australia/Sydney": 10, "Asia/Kolkata": 5, "Asia/Tehran": 3,
            "Asia/Kathmandu": 5, "America/St_Johns": -3, "Australia/Adelaide": 9,
            "Pacific/Marquesas": -9, "Pacific/Auckland": 12,
        }
        for zone, hours in cases.items():
            self.assertEqual(cities.standard_offset_hours(zone), hours, zone)

    def test_arc_minutes(self):
        self.assertEqual(cities.to_arc_minutes(-0.12574), (0, -8))
        self.assertEqual(cities.to_arc_minutes(30.35), (30, 21))
        self.assertEqual(cities.to_arc_minutes(-74.99999), (-75, 0))
        self.assertEqual(struct.pack("<f", cities.from_arc_minutes(48, 16)),
                         bytes([0x11, 0x11, 0x41, 0x42]))


class Records(unittest.TestCase):
    def test_unused_bytes_hold_cd(self):
        r = cities.encode_record(1, 2, "Ab", 1.0, -1.0, -5)
        self.assertEqual(len(r), 52)
        self.assertEqual(r[2:4], b"\xcd\xcd")
        self.assertEqual(r[8:11], b"Ab\0")
        self.assertEqual(r[11:40], b"\xcd" * 29)
        self.assertEqual(r[48], 0xFB)
        self.assertEqual(r[49:], b"\xcd" * 3)


if __name__ == "__main__":
    unittest.main()
