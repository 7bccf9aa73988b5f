#!/usr/bin/python3
"""A whole preferences record as planet_prefs.py writes it, with the default
cloud colours and image path, plus the cloud server's host and image path.

    cloud_prefs.py OUT cloudServerHost=127.0.0.1:8080 [cloudImagePath=/x] FIELD=VALUE...
"""
import os
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from planet_prefs import record  # noqa: E402

TEXTS = {"cloudServerHost": 0x1FC, "cloudImagePath": 0x300}
DEFAULT_PATH = "/cgi-bin/uncgi/Earth/action?opt=-p&img=wx-cmap.bmp&daynight=-d"
CLOUD_COLOURS = 0x408
DEFAULT_COLOURS = (0x004A5963, 0x0052616B, 0x005A656B, 0x00636D73, 0x0073797B, 0x007B8284,
                   0x0084868C, 0x0084868C, 0x009C9A9C, 0x00A5A2A5, 0x00B5B2B5, 0x00BDBABD,
                   0x00C6C3C6, 0x00CECBCE, 0x00D6D3D6, 0x00DEDBDE, 0x00E7E3E7, 0x00EFEFEF,
                   0x00F7F7F7, 0x00FFFFFF)


def main():
    out, pairs = sys.argv[1], dict(arg.split("=", 1) for arg in sys.argv[2:])
    texts = {"cloudImagePath": DEFAULT_PATH}
    texts.update({k: pairs.pop(k) for k in list(pairs) if k in TEXTS})
    data = bytearray(record(pairs))
    struct.pack_into("<20I", data, CLOUD_COLOURS, *DEFAULT_COLOURS)
    for name, value in texts.items():
        raw = value.encode()
        if len(raw) > 259:
            sys.exit(f"{name} longer than 259 bytes")
        data[TEXTS[name]:TEXTS[name] + 260] = raw.ljust(260, b"\0")
    with open(out, "wb") as f:
        f.write(bytes(data))


if __name__ == "__main__":
    main()
