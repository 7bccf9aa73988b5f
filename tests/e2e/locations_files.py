#!/usr/bin/python3
"""The places of the end-to-end runs: a cities file of eight well-known places
(with catalogue codes and the 0xCD filler of the default data, which a rewrite
must keep), its selection, and the files expected after the manager scenario.

    locations_files.py write DATA          geovista.loc and geovista.sel
    locations_files.py capitals DATA [NAME,...] 25 European capitals, all
                                           chosen (or only those named)
    locations_files.py expect LOC SEL      the files after the scenario
"""
import struct
import sys

import numpy as np

PLACES = [("Berlin", 52.52, 13.40, 1), ("Buenos Aires", -34.60, -58.38, -3),
          ("Cape Town", -33.92, 18.42, 2), ("London", 51.51, -0.13, 0),
          ("New York", 40.71, -74.01, -5), ("Paris", 48.86, 2.35, 1),
          ("Sydney", -33.87, 151.21, 10), ("Tokyo", 35.68, 139.69, 9)]
SELECTION = [5, 7, 3]  # Paris, Tokyo, London
# The view over Europe, with the knots of close cities ("Amsterdam",
# "Brussels" and "Berlin"; "Vienna", "Bratislava" and "Budapest").
CAPITALS = [("Amsterdam", 52.37, 4.90, 1), ("Athens", 37.98, 23.73, 2),
            ("Berlin", 52.52, 13.40, 1), ("Bern", 46.95, 7.45, 1),
            ("Bratislava", 48.15, 17.11, 1), ("Brussels", 50.85, 4.35, 1),
            ("Bucharest", 44.43, 26.10, 2), ("Budapest", 47.50, 19.04, 1),
            ("Copenhagen", 55.68, 12.57, 1), ("Dublin", 53.35, -6.26, 0),
            ("Helsinki", 60.17, 24.94, 2), ("Kyiv", 50.45, 30.52, 2),
            ("Lisbon", 38.72, -9.14, 0), ("Ljubljana", 46.06, 14.51, 1),
            ("London", 51.51, -0.13, 0), ("Luxembourg", 49.61, 6.13, 1),
            ("Madrid", 40.42, -3.70, 1), ("Moscow", 55.76, 37.62, 3),
            ("Oslo", 59.91, 10.75, 1), ("Paris", 48.86, 2.35, 1),
            ("Prague", 50.08, 14.44, 1), ("Rome", 41.90, 12.50, 1),
            ("Stockholm", 59.33, 18.07, 1), ("Vienna", 48.21, 16.37, 1),
            ("Warsaw", 52.23, 21.01, 1)]


def record(country, region, name, lat, lon, zone, filler):
    return (struct.pack("<H", country) + filler * 2 + struct.pack("<I", region) +
            (name.encode("cp1252") + b"\0").ljust(32, filler) +
            struct.pack("<ffb", lat, lon, zone) + filler * 3)


def database():
    return [record(60 + i, 140 + i, n, la, lo, z, b"\xcd") for i, (n, la, lo, z) in enumerate(PLACES)]


def entry(degrees, minutes, negative):
    """Degrees and minutes as the globe stores them: single precision,
    minutes times 0.016666668."""
    value = np.float32(degrees) + np.float32(minutes) * np.float32(0.016666668)
    return float(-value if negative else value)


if __name__ == "__main__":
    if sys.argv[1] == "write":
        data = sys.argv[2]
        open(f"{data}/geovista.loc", "wb").write(b"".join(database()))
        open(f"{data}/geovista.sel", "wb").write(struct.pack(f"<{len(SELECTION)}I", *SELECTION))
    elif sys.argv[1] == "capitals":
        data = sys.argv[2]
        records = [record(60 + i, 140 + i, n, la, lo, z, b"\0") for i, (n, la, lo, z) in enumerate(CAPITALS)]
        open(f"{data}/geovista.loc", "wb").write(b"".join(records))
        names = [c[0] for c in CAPITALS]
        chosen = ([names.index(n) for n in sys.argv[3].split(",")] if len(sys.argv) > 3
                  else range(len(CAPITALS)))
        open(f"{data}/geovista.sel", "wb").write(struct.pack(f"<{len(chosen)}I", *chosen))
    elif sys.argv[1] == "expect":
        # Berlin deleted, Buenos Aires chosen, Punta Arenas added at 53 09 s,
        # 070 55 W, GMT-4 (zeros where the form leaves nothing).
        new = (struct.pack("<HHI", 0xFFFF, 0, 0xFFFFFFFF) + b"Punta Arenas".ljust(32, b"\0") +
               struct.pack("<ffb", entry(53, 9, True), entry(70, 55, True), -4) + b"\0" * 3)
        assert len(new) == 52
        open(sys.argv[2], "wb").write(b"".join(database()[1:]) + new)
        open(sys.argv[3], "wb").write(struct.pack("<4I", 4, 6, 2, 0))
