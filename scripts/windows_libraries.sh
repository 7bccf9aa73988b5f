#!/usr/bin/env bash
# The libraries of the Windows build, cross-built with MinGW-w64 as static
# archives from Debian's own source packages (apt-get source, with Debian's
# patches): SDL2 with only its video, events and OpenGL parts, libpng,
# libjpeg-turbo's TurboJPEG library without SIMD, and OpenSSL's two libraries
# (no programs, tests or documents). zlib comes built from libz-mingw-w64-dev.
#
# Each library is installed into a prefix of its own under
# ~/.cache/geovista3d/mingw-w64/ named by the source package, its version and
# the recipe below, so a second run finds them all and takes seconds.
#   windows_libraries.sh TOOLCHAIN_FILE PREFIX_LIST_FILE [TIMES_FILE]
# writes the prefixes, separated by ';', to PREFIX_LIST_FILE, and how long
# each library took (or that it came from the cache) to TIMES_FILE.
set -euo pipefail

TOOLCHAIN=$(realpath "$1")
LIST=$2
TIMES=${3:-/dev/null}
# recipe PACKAGE: raised whenever that library's build options change, so
# that no archive made the old way is taken from the cache.
recipe() {
    case $1 in
    openssl) echo r2 ;;
    *) echo r1 ;;
    esac
}
CACHE=${XDG_CACHE_HOME:-$HOME/.cache}/geovista3d/mingw-w64
JOBS=$(nproc 2>/dev/null || echo 2)
HOST=x86_64-w64-mingw32
mkdir -p "$CACHE"

# The versions apt knows of a source package, newest first.
source_versions() {
    local versions=() v i j t
    mapfile -t versions < <(apt-cache showsrc "$1" 2>/dev/null | sed -n 's/^Version: //p' | sort -u)
    for ((i = 1; i < ${#versions[@]}; i++)); do
        for ((j = i; j > 0; j--)); do
            dpkg --compare-versions "${versions[j - 1]}" lt "${versions[j]}" || break
            t=${versions[j]} versions[j]=${versions[j - 1]} versions[j - 1]=$t
        done
    done
    for v in "${versions[@]}"; do echo "$v"; done
}

cmake_library() { # SOURCE BUILD PREFIX CMAKE-OPTION...
    local src=$1 build=$2 prefix=$3
    shift 3
    cmake -S "$src" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_INSTALL_LIBDIR=lib "$@"
}

build_libsdl2() { # SOURCE BUILD PREFIX
    cmake_library "$1" "$2" "$3" -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF \
        -DSDL2_DISABLE_SDL2MAIN=ON -DSDL2_DISABLE_UNINSTALL=ON -DSDL_CCACHE=OFF \
        -DSDL_AUDIO=OFF -DSDL_RENDER=OFF -DSDL_JOYSTICK=OFF -DSDL_HAPTIC=OFF -DSDL_HIDAPI=OFF \
        -DSDL_POWER=OFF -DSDL_SENSOR=OFF -DSDL_LOCALE=OFF -DSDL_MISC=OFF -DSDL_FILESYSTEM=OFF \
        -DSDL_DIRECTX=OFF -DSDL_XINPUT=OFF -DSDL_WASAPI=OFF -DSDL_RENDER_D3D=OFF \
        -DSDL_VULKAN=OFF -DSDL_OPENGLES=OFF -DSDL_OFFSCREEN=OFF
    cmake --build "$2" -j "$JOBS"
    cmake --install "$2"
}

build_libpng1_6() {
    cmake_library "$1" "$2" "$3" -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_EXECUTABLES=OFF \
        -DPNG_TESTS=OFF
    cmake --build "$2" -j "$JOBS" --target png_static
    cmake --install "$2"
}

build_libjpeg_turbo() {
    cmake_library "$1" "$2" "$3" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_SIMD=OFF \
        -DWITH_TURBOJPEG=ON -DWITH_JAVA=OFF
    # Only the TurboJPEG archive: its install rules would want the programs too.
    cmake --build "$2" -j "$JOBS" --target turbojpeg-static
    mkdir -p "$3/lib/pkgconfig" "$3/include"
    cp "$2/libturbojpeg.a" "$3/lib/"
    cp "$1/turbojpeg.h" "$3/include/"
    # Its own file names the library folder of the build's machine.
    sed "s|^libdir=.*|libdir=\${exec_prefix}/lib|" "$2/pkgscripts/libturbojpeg.pc" \
        >"$3/lib/pkgconfig/libturbojpeg.pc"
}

build_openssl() {
    # Built inside its source tree, as OpenSSL's Configure expects. The
    # configuration file is never loaded by itself, and the folder of
    # OpenSSL's defaults (a path of this machine) is never read: the program
    # loads Windows' trust store itself. No engines, modules or legacy
    # algorithms, so nothing else is loaded either; none of the protocols and
    # ciphers a TLS 1.2/1.3 client of web servers does not use.
    (cd "$1" && ./Configure mingw64 --cross-compile-prefix="${HOST}-" --prefix="$3" --libdir=lib \
        no-shared no-module no-dso no-engine no-legacy no-tests no-autoload-config \
        no-ssl3 no-dtls no-srp no-comp no-idea no-mdc2 no-rc5 no-camellia no-seed no-whirlpool \
        no-sm2 no-sm3 no-sm4 no-gost &&
        make -j "$JOBS" build_libs && make install_dev)
}

# library PACKAGE: its prefix, from the cache or built now, added to PREFIXES.
PREFIXES=()
library() {
    local package=$1 version prefix work start
    local builder="build_${package//[-.]/_}"
    for version in $(source_versions "$package"); do
        # No epoch colon in the name: the prefixes are joined by colons for
        # pkg-config.
        prefix="$CACHE/${package}-${version//:/_}-$(recipe "$package")"
        if [ -e "$prefix/.complete" ]; then
            echo "$package $version: cached in $prefix"
            echo "$package $version: from the cache" >>"$TIMES"
            PREFIXES+=("$prefix")
            return 0
        fi
        work="$CACHE/work-$package"
        rm -rf "$work" "$prefix"
        mkdir -p "$work"
        start=$(date +%s)
        # The security archive may list a version it no longer serves: try
        # the next one down.
        if ! (cd "$work" && apt-get source -q "${package}=${version}" >source.log 2>&1); then
            echo "$package $version: not downloadable, trying an earlier version"
            rm -rf "$work"
            continue
        fi
        local src
        src=$(find "$work" -mindepth 1 -maxdepth 1 -type d | head -n1)
        echo "$package $version: building (log: $work/build.log)"
        if ! "$builder" "$src" "$work/build" "$prefix" >"$work/build.log" 2>&1; then
            tail -n 40 "$work/build.log"
            echo "$package $version: the build failed" >&2
            return 1
        fi
        touch "$prefix/.complete"
        rm -rf "$work"
        echo "$package $version: built in $(($(date +%s) - start)) s" | tee -a "$TIMES"
        PREFIXES+=("$prefix")
        return 0
    done
    echo "$package: no version could be fetched (is there a deb-src entry?)" >&2
    return 1
}

library libsdl2
library libpng1.6
library libjpeg-turbo
library openssl
(
    IFS=';'
    echo "${PREFIXES[*]}"
) >"$LIST"
