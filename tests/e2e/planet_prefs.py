#!/usr/bin/python3
"""Writes a whole preferences record with the defaults, windowed at the
desktop size, then the fields named on the command line (name=value).

    planet_prefs.py OUT currentCamera=4 cameraChangingAutomatic=0
"""
import re
import struct
import sys

# (offset, struct format, default) of the fields the end-to-end tests change.
FIELDS = {
    "fullScreen": (0x004, "<i", 0),
    "screenModeIndex": (0x00A, "<H", 0),
    "textureFiltering": (0x010, "<i", 1),
    "currentCamera": (0x194, "<i", 0),
    "fieldOfView": (0x198, "<f", 0.97),
    "userCameraFollowsEarth": (0x19C, "<i", 1),
    "userLatitude": (0x1A0, "<f", 0.0),
    "userLongitude": (0x1A4, "<f", 0.0),
    "cameraChangingAutomatic": (0x1A8, "<i", 1),
    "cameraChangeTime": (0x1AC, "<I", 20000),
    "cameraSmoothness": (0x1B0, "<i", 1),
    "earthGlow": (0x1B4, "<i", 1),
    "earthSpecularity": (0x1B8, "<i", 0),
    "earthSpecularPower": (0x1BC, "<i", 0),
    "earthMeshResolution": (0x1C0, "<i", 3),
    "locationsMeshResolution": (0x1C4, "<i", 3),
    "otherMeshResolution": (0x1C8, "<i", 3),
    "lensFlares": (0x1CC, "<i", 1),
    "lensFlareSize": (0x1D0, "<i", 2),
    "sunOverbrights": (0x1D4, "<i", 1),
    "moonShown": (0x1D8, "<i", 1),
    "moonRecalcTime": (0x1DC, "<I", 10000),
    "starsShown": (0x1E0, "<i", 1),
    "sunShown": (0x1E4, "<i", 1),
    "sunMesh": (0x1E8, "<I", 0),
    "sunSize": (0x1EC, "<i", 3),
    "cloudsShown": (0x1F0, "<i", 1),
    "cloudsOnLocationsManager": (0x1F4, "<i", 1),
    "cloudsFromSatellites": (0x1F8, "<i", 0),
    "cloudUpdateInterval": (0x404, "<I", 7200),
    "titleColour": (0x47C, "<i", 8),
    "subtitleColour": (0x480, "<i", 4),
    "messageTime": (0x484, "<I", 2500),
    "labelColour": (0x488, "<i", 9),
    "labelsShowTime": (0x48C, "<i", 1),
    "clockColour": (0x490, "<i", 0),
    "showPerformance": (0x494, "<i", 0),
    "screenSaverEnhanced": (0x498, "<i", 0),
    "extraSeconds": (0x49C, "<I", 0),
    "ambientPercent": (0x4A0, "<i", 5),
    "sunDistance": (0x4A4, "<I", 1300),
    "clockSize": (0x4A8, "<H", 1),
    # Night lights, true seasons, atmosphere: off, the look of a file
    # written before they existed.
    "optionFlags": (0x4AA, "<H", 0),
}
# The 20 cloud colours (0x408), as the defaults have them.
CLOUD_COLOURS = [
    0x4A5963, 0x52616B, 0x5A656B, 0x636D73, 0x73797B, 0x7B8284, 0x84868C, 0x84868C, 0x9C9A9C,
    0xA5A2A5, 0xB5B2B5, 0xBDBABD, 0xC6C3C6, 0xCECBCE, 0xD6D3D6, 0xDEDBDE, 0xE7E3E7, 0xEFEFEF,
    0xF7F7F7, 0xFFFFFF,
]
CAMERAS = [("Orbit 1", 560, 0.0002), ("Orbit 2", 650, -0.0004), ("Orbit 3", 400, 0.0002),
           ("Orbit 4", 400, -0.0004), ("Sun view", 500, 0.0), ("Moon view", 500, 0.0),
           ("User view", 500, 0.0), ("Loc view*", 500, 0.0)]


def record(changes):
    data = bytearray(1196)
    for name, (offset, fmt, default) in FIELDS.items():
        struct.pack_into(fmt, data, offset, default)
    struct.pack_into("<20I", data, 0x408, *CLOUD_COLOURS)
    for i, (name, distance, speed) in enumerate(CAMERAS):
        base = 20 + 48 * i
        data[base + 4:base + 36] = name.encode().ljust(32, b"\0")
        struct.pack_into("<iff", data, base + 36, distance, speed, 0.0)
    for name, value in changes.items():
        if re.match(r"cam[0-7]\.", name):  # camN.distance / camN.speed / camN.angle
            index, field = name[3:].split(".")
            at = {"distance": (36, "<i"), "speed": (40, "<f"), "angle": (44, "<f")}[field]
            struct.pack_into(at[1], data, 20 + 48 * int(index) + at[0],
                             float(value) if at[1] == "<f" else int(value))
            continue
        offset, fmt, _ = FIELDS[name]
        struct.pack_into(fmt, data, offset, float(value) if "f" in fmt else int(value))
    return bytes(data)


if __name__ == "__main__":
    pairs = dict(arg.split("=", 1) for arg in sys.argv[2:])
    with open(sys.argv[1], "wb") as out:
        out.write(record(pairs))
