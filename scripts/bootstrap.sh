#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds Geovista 3D and then starts the
# globe ("run"), runs every test ("test"), makes the Debian package
# ("package") or cross-builds the Windows saver and its installer
# ("windows").
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
    dpkg-dev file lintian appstream desktop-file-utils man-db
)
# The Windows build: the MinGW-w64 compilers with std::thread, zlib built
# for them, what builds the other libraries from Debian's source packages,
# the installer maker, and Wine to run the result.
windows_packages=(
    g++-mingw-w64-x86-64-posix libz-mingw-w64-dev ninja-build
    dpkg-dev nsis wine
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

# The libraries of the Windows build come from Debian's source packages:
# apt needs a deb-src entry for the suites it already uses.
add_source_entries() {
    if apt-get source --print-uris -qq libsdl2 >/dev/null 2>&1; then return 0; fi
    local file=/etc/apt/sources.list.d/debian.sources
    if [ -f "$file" ] && grep -q '^Types: deb$' "$file"; then
        $sudo sed -i 's/^Types: deb$/Types: deb deb-src/' "$file"
    elif [ -f /etc/apt/sources.list ] && grep -q '^deb ' /etc/apt/sources.list; then
        sed -n 's/^deb /deb-src /p' /etc/apt/sources.list |
            $sudo tee /etc/apt/sources.list.d/geovista-sources.list >/dev/null
    else
        echo "No apt source to add a deb-src entry for" >&2
        return 1
    fi
    $sudo apt-get update -q
}

# Geovista.scr and Geovista3D-Setup.exe in build-windows/, statically linked;
# each step's time in build-windows/times.txt.
windows_build() {
    local start step
    mkdir -p build-windows
    : >build-windows/times.txt
    step=$(date +%s)
    add_source_entries
    bash scripts/windows_libraries.sh cmake/mingw-w64-x86_64.cmake build-windows/prefixes.txt \
        build-windows/times.txt
    start=$(date +%s)
    cmake -S . -B build-windows -G Ninja -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-x86_64.cmake" \
        -DGV_MINGW_PREFIXES="$(cat build-windows/prefixes.txt)" -DCMAKE_BUILD_TYPE=Release \
        -DGV_BENCHMARKS=OFF
    cmake --build build-windows -j "$jobs"
    echo "the Windows build: $(($(date +%s) - start)) s" >>build-windows/times.txt
    echo "libraries and Windows build together: $(($(date +%s) - step)) s" >>build-windows/times.txt
    cat build-windows/times.txt
}

build() {
    local dir=$1; shift
    cmake -S . -B "$dir" "$@"
    cmake --build "$dir" -j "$jobs"
}

case "$mode" in
test | windows) packages+=("${windows_packages[@]}") ;;
esac
install_missing

case "$mode" in
run)
    build build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGV_BUILD_TESTS=OFF
    # The program keeps its files next to itself and its log in the current folder.
    cd build/bin
    exec ./Geovista
    ;;
test)
    # Windows first: the saver and its installer cross-built, then run under
    # Wine; the headers and the unit tests compiled for Windows too.
    windows_build
    (cd build-windows && ctest -L wine -j "$jobs" --output-on-failure)
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
windows)
    windows_build
    ls -l build-windows/bin/Geovista.scr build-windows/Geovista3D-Setup.exe
    ;;
*)
    echo "usage: $0 run|test|package|windows" >&2
    exit 2
    ;;
esac
