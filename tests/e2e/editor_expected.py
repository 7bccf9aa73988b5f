#!/usr/bin/python3
"""Writes the settings record the editor saves on a first start, from its
table of factory defaults (checked boxes as -1), with the fields named on the
command line changed (name=value).

    editor_expected.py OUT screenModeIndex=1 fullScreen=0 clockColour=1
"""
import struct
import sys

ON = -1  # the editor writes a checked box as all bits set

# offset: (struct format, default, name)
FIELDS = [
    (0, "<i", 0, "optionsSelection"),
    (4, "<i", ON, "fullScreen"),
    (8, "<H", 0, "deviceIndex"),
    (10, "<H", 999, "screenModeIndex"),
    (12, "<i", 0, "doubleBuffered"),
    (16, "<i", ON, "textureFiltering"),
    (404, "<i", 0, "currentCamera"),
    (408, "<f", 0.97, "fieldOfView"),
    (412, "<i", ON, "userCameraFollowsEarth"),
    (416, "<f", 0.0, "userLatitude"),
    (420, "<f", 0.0, "userLongitude"),
    (424, "<i", 1, "cameraChangingAutomatic"),
    (428, "<I", 20000, "cameraChangeTime"),
    (432, "<i", 1, "cameraSmoothness"),
    (436, "<i", ON, "earthGlow"),
    (440, "<i", 0, "earthSpecularity"),
    (444, "<i", 0, "earthSpecularPower"),
    (448, "<i", 3, "earthMeshResolution"),
    (452, "<i", 3, "locationsMeshResolution"),
    (456, "<i", 3, "otherMeshResolution"),
    (460, "<i", ON, "lensFlares"),
    (464, "<i", 2, "lensFlareSize"),
    (468, "<i", ON, "sunOverbrights"),
    (472, "<i", ON, "moonShown"),
    (476, "<I", 10000, "moonRecalcTime"),
    (480, "<i", ON, "starsShown"),
    (484, "<i", ON, "sunShown"),
    (488, "<I", 0, "sunMesh"),
    (492, "<i", 3, "sunSize"),
    (496, "<i", ON, "cloudsShown"),
    (500, "<i", ON, "cloudsOnLocationsManager"),
    (504, "<i", 0, "cloudsFromSatellites"),
    (1028, "<I", 7200, "cloudUpdateInterval"),
    (1148, "<i", 8, "titleColour"),
    (1152, "<i", 4, "subtitleColour"),
    (1156, "<I", 2500, "messageTime"),
    (1160, "<i", 9, "labelColour"),
    (1164, "<i", ON, "labelsShowTime"),
    (1168, "<i", 0, "clockColour"),
    (1172, "<i", 0, "showPerformance"),
    (1176, "<i", 0, "screenSaverEnhanced"),
    (1180, "<I", 0, "extraSeconds"),
    (1184, "<i", 5, "ambientPercent"),
    (1188, "<I", 1300, "sunDistance"),
    (1192, "<H", 1, "clockSize"),
    (1194, "<H", 15, "optionFlags"),  # night lights, true seasons, atmosphere, declutter
]
CAMERAS = [("Orbit 1", 560, 0.0002), ("Orbit 2", 650, -0.0004), ("Orbit 3", 400, 0.0002),
           ("Orbit 4", 400, -0.0004), ("Sun view", 500, 0.0), ("Moon view", 500, 0.0),
           ("User view", 500, 0.0), ("Loc view*", 500, 0.0)]
HOST = b"www.fourmilab.ch"
IMAGE_PATH = b"/cgi-bin/uncgi/Earth/action?opt=-p&img=wx-cmap.bmp&daynight=-d"
CLOUD_COLOURS = [4872547, 5398891, 5924203, 6516083, 7567739, 8094340, 8685196, 8685196,
                 10263196, 10855077, 11907765, 12434109, 13026246, 13552590, 14078934,
                 14605278, 15197159, 15724527, 16250871, 16777215]


def record(changes):
    out = bytearray(1196)
    values = {name: default for _, _, default, name in FIELDS}
    for change in changes:
        name, value = change.split("=")
        if name not in values:
            sys.exit(f"unknown field {name}")
        values[name] = float(value) if "." in value else int(value)
    for offset, fmt, _, name in FIELDS:
        struct.pack_into(fmt, out, offset, values[name])
    for i, (name, distance, speed) in enumerate(CAMERAS):
        base = 20 + 48 * i
        out[base + 4:base + 4 + len(name)] = name.encode()
        struct.pack_into("<i", out, base + 36, distance)
        struct.pack_into("<f", out, base + 40, speed)
    out[508:508 + len(HOST)] = HOST
    out[768:768 + len(IMAGE_PATH)] = IMAGE_PATH
    for i, colour in enumerate(CLOUD_COLOURS):
        struct.pack_into("<I", out, 1032 + 4 * i, colour)
    return bytes(out)


if __name__ == "__main__":
    with open(sys.argv[1], "wb") as f:
        f.write(record(sys.argv[2:]))
