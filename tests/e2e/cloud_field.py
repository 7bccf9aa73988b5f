#!/usr/bin/python3
"""A made-up satellite cloud picture for the README: an equirectangular map
1024 x 512 of fractal noise, more cloud in the storm belts and along the
equator, quantised into the default cloud greys over dark sea.

    cloud_field.py OUT.png
"""
import sys
import numpy as np
from PIL import Image
rng = np.random.RandomState(11)
W, H = 1024, 512
field = np.zeros((H, W))
for cells, weight in ((6, 0.35), (12, 0.55), (24, 0.5), (48, 0.35), (96, 0.2), (192, 0.12)):
    grid = rng.random_sample((cells // 3 + 1, cells + 1))
    grid[:, -1] = grid[:, 0]  # wraps round in longitude
    big = np.asarray(Image.fromarray((grid * 255).astype(np.uint8)).resize((W, H), Image.BICUBIC), dtype=np.float64) / 255
    field += weight * big
field /= field.max()
lat = np.linspace(90, -90, H)[:, None]
# More cloud in the storm belts and along the equator, less in the subtropics.
bias = 0.12 * np.cos(np.radians(lat) * 3.0) ** 2 + 0.08 * np.exp(-(lat / 8.0) ** 2)
value = field + bias
threshold = np.quantile(value, 0.55)
level = np.clip((value - threshold) / (value.max() - threshold), 0, 1)
greys = [0x4A5963, 0x52616B, 0x5A656B, 0x636D73, 0x73797B, 0x7B8284, 0x84868C, 0x9C9A9C,
         0xA5A2A5, 0xB5B2B5, 0xBDBABD, 0xC6C3C6, 0xCECBCE, 0xD6D3D6, 0xDEDBDE, 0xE7E3E7,
         0xEFEFEF, 0xF7F7F7, 0xFFFFFF]
out = np.zeros((H, W, 3), dtype=np.uint8)
out[...] = (16, 32, 96)
index = np.clip((level ** 0.6 * len(greys)).astype(int), 0, len(greys) - 1)
cloud = level > 0
for i, g in enumerate(greys):
    m = cloud & (index == i)
    out[m] = ((g >> 16) & 255, (g >> 8) & 255, g & 255)
Image.fromarray(out).save(sys.argv[1])
