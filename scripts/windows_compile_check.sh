#!/usr/bin/env bash
# What the Windows build (bootstrap.sh windows) does not compile for
# Windows, compiled with the MinGW-w64 cross compiler (g++-mingw-w64-x86-64):
#   - every header of the globe's libraries (not engine/gl/, which is GL),
#     each on its own, for syntax: each header stands alone on Windows too;
#   - the unit tests that are not about a POSIX implementation and need no
#     Qt, for syntax, against GoogleTest's headers from this machine.
# Every source file, the Windows-only ones included, is compiled and linked
# by the Windows build itself. Nothing is linked and nothing runs here.
#   windows_compile_check.sh [OUT_DIR]
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
OUT=${1:-$(mktemp -d)}
mkdir -p "$OUT/include" "$OUT/logs"
rm -f "$OUT"/logs/*
CXX=x86_64-w64-mingw32-g++
# GoogleTest needs std::mutex, which the win32 thread model of MinGW's GCC
# does not have.
CXX_TESTS=x86_64-w64-mingw32-g++-posix
cd "$ROOT"

# Only GoogleTest's own headers, not the rest of this machine's /usr/include;
# and the headers of libjpeg-turbo and libpng, which are plain C and the same
# on Windows, for the picture decoders.
for dir in gtest gmock; do
    [ -d "/usr/include/$dir" ] && ln -sfn "/usr/include/$dir" "$OUT/include/$dir"
done
mkdir -p "$OUT/include/c"
for header in turbojpeg.h libpng16/png.h libpng16/pngconf.h libpng16/pnglibconf.h; do
    [ -f "/usr/include/$header" ] && ln -sfn "/usr/include/$header" "$OUT/include/c/$(basename "$header")"
done

# One line per compile: KIND FILE.
{
    libraries=$(for d in core formats platform places imaging net engine scene ui locations clouds app resources; do
        [ -d "$d" ] && echo "$d"
    done)
    # shellcheck disable=SC2086
    find $libraries -name '*.h' -not -path 'engine/gl/*' | sort | sed 's/^/header /'
    # Left out: the tests of the POSIX registry and single instance, the
    # end-to-end helpers (X11, SDL, GL), the libnova reference, the editor's
    # window tests (Qt) and the tests whose servers on loopback ports are
    # POSIX sockets.
    find tests -name '*.cpp' | sort |
        grep -v -E 'tests/(platform/(registry|single_instance)_test|e2e/|scene/libnova_reference|editor_qt/)' |
        xargs grep -L -E '#include "tests/(support/loopback_listener|net/loopback_server)\.h"' |
        sed 's/^/test /'
} >"$OUT/list"

compile() { # compile KIND FILE: a failure leaves its messages in logs/
    local kind=$1 file=$2 log
    log="$OUT/logs/$(echo "$file" | tr / _).txt"
    local flags=(-std=c++20 -Wall -Wextra -Werror -I"$ROOT" -isystem "$OUT/include/c")
    case $kind in
    header) "$CXX" "${flags[@]}" -fsyntax-only -x c++ -include "$file" /dev/null >"$log" 2>&1 ;;
    test) "$CXX_TESTS" "${flags[@]}" -I"$ROOT/tests" -isystem "$OUT/include" \
        -DGV_RESOURCES_DIR='"resources"' -DGV_PICTURE_FIXTURES='"tests/imaging/fixtures"' \
        -DGV_CLOUD_TESTS='"tests/clouds"' -fsyntax-only "$file" >"$log" 2>&1 ;;
    esac && rm -f "$log"
}
export -f compile
export OUT ROOT CXX CXX_TESTS

xargs -P "$(nproc)" -L 1 bash -c 'compile "$0" "$1"' <"$OUT/list" || true

count=$(wc -l <"$OUT/list")
failures=$(find "$OUT/logs" -name '*.txt' | wc -l)
for log in "$OUT"/logs/*.txt; do
    [ -e "$log" ] || continue
    echo "--- $(basename "$log" .txt):"
    head -n 20 "$log"
done
echo "$count files compiled for Windows (MinGW-w64), $failures failed"
[ "$failures" = 0 ]
