#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds Geovista 3D and then starts the
# globe ("run"), runs every test ("test") or makes the Debian package
# ("package").
set -euo pipefail

mode=${1:-run}
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
jobs=$(nproc 2>/dev/null || echo 2)

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi

packages=(
    build-essential cmake pkg-config git
    clang libclang-rt-14-dev
    libsdl2-dev python3-glad libgl1-mesa-dri libegl-mesa0
    libgtest-dev libgmock-dev googletest libbenchmark-dev
    xvfb xauth xdotool x11-utils imagemagick faketime xscreensaver procps
    libnova-dev python3 python3-pil python3-numpy fonts-liberation2
    qt6-base-dev qt6-base-dev-tools fonts-dejavu-core
    libturbojpeg0-dev libpng-dev
    g++-mingw-w64-x86-64
    libssl-dev openssl
    dpkg-dev file lintian appstream desktop-file-utils man-db xscreensaver
)

install_missing() {
    local missing=()
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Installing: ${missing[*]}"
        $sudo apt-get update -q
        # Another apt client may hold the lock for a moment: wait for it rather than fail.
        for attempt in 1 2 3 4 5 6; do
            if $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q \
                    --no-install-recommends -o DPkg::Lock::Timeout=120 "${missing[@]}"; then
                return 0
            fi
            sleep 10
        done
        echo "apt-get could not install the packages" >&2
        return 1
    fi
}

build() {
    local dir=$1; shift
    cmake -S . -B "$dir" "$@"
    cmake --build "$dir" -j "$jobs"
}

install_missing

case "$mode" in
run)
    build build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGV_BUILD_TESTS=OFF
    # The program keeps its files next to itself and its log in the current folder.
    cd build/bin
    exec ./Geovista
    ;;
test)
    # Windows stays buildable: the Windows-only sources, core/, formats/, the
    # headers and the unit tests through the MinGW-w64 cross compiler.
    bash scripts/windows_compile_check.sh build-windows-check
    # Sanitized unit tests first, then the fuzz smoke runs, then the full suite.
    build build-asan -DCMAKE_BUILD_TYPE=Debug -DGV_SANITIZE=ON -DGV_BENCHMARKS=OFF
    (cd build-asan && ctest -L unit -j "$jobs" --output-on-failure)
    if [ -d fuzz ]; then
        cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
            -DCMAKE_C_COMPILER=clang -DGV_FUZZ=ON -DGV_BUILD_TESTS=OFF -DGV_BENCHMARKS=OFF
        cmake --build build-fuzz -j "$jobs" --target gv_fuzzers
        (cd build-fuzz && ctest -L fuzz -j "$jobs" --output-on-failure)
    fi
    # Built with the package's hardening flags, so the package below can be
    # made from this build rather than from a second one.
    build build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGV_HARDEN=ON
    (cd build && ctest -j "$jobs" --output-on-failure)
    # The package as a user installs it: made, checked, installed, used and
    # removed.
    rm -f build/geovista3d_*.deb
    (cd build && cpack -G DEB)
    bash scripts/package_check.sh build/geovista3d_*.deb
    ;;
package)
    # Optimised as the tested build is (-O2; the package strips the debug
    # information).
    build build-release -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGV_BUILD_TESTS=OFF \
        -DGV_BENCHMARKS=OFF -DGV_HARDEN=ON
    rm -f build-release/geovista3d_*.deb
    (cd build-release && cpack -G DEB)
    ls -l build-release/geovista3d_*.deb
    ;;
*)
    echo "usage: $0 run|test|package" >&2
    exit 2
    ;;
esac
