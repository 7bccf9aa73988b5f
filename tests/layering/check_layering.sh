#!/usr/bin/env bash
# The libraries' floors, from the bottom up: each folder may include only its
# own headers and those of the folders below it, and its CMake targets may
# link only the libraries of those folders.
#   core < formats < platform < platform/network (sockets, TLS, name lookups)
#   formats, platform < places (the database and selection both programs keep;
#       not on core, whose log is the globe's)
#   core < formats < imaging (pictures: no platform, no engine)
#   platform < resources < engine < scene < ui | locations (side by side;
#       locations also on places)
#   platform/network < net (the HTTP client)
#   scene, imaging, net < clouds;   everything < app
# The editor (GeovistaC) includes and links only formats/, platform/ (not its
# network part), places/ and the built-in data of resources/ (and Qt):
# nothing of the globe's own libraries. Only the network part links OpenSSL.
# Tests, benchmarks, fuzzers and tools may include anything.
#   check_layering.sh SOURCE_ROOT [BUILD_DIR]  lists every include (and, with
#       BUILD_DIR, every link of the build's link_graph.txt) that reaches up
#   check_layering.sh --self-test CMAKE   shows that upward includes and links
#       are caught, the links through a real configure of a small project
set -euo pipefail

allowed() { # the floors a floor's files may include and its targets link
    case $1 in
    core) echo "core" ;;
    formats) echo "core formats" ;;
    platform) echo "core formats platform" ;;
    platform/network) echo "core formats platform platform/network" ;;
    places) echo "formats platform places" ;; # no core: the editor stands on it
    resources) echo "core formats platform resources" ;;
    imaging) echo "core formats imaging" ;;
    net) echo "core formats platform platform/network net" ;;
    engine) echo "core formats platform resources engine" ;;
    scene) echo "core formats platform resources engine scene" ;;
    ui) echo "core formats platform resources engine scene ui" ;;
    locations) echo "core formats platform places resources engine scene locations" ;;
    clouds) echo "core formats platform resources imaging net engine scene clouds" ;;
    app) echo "$floors" ;;
    editor) echo "formats platform places resources editor" ;;
    esac
}
floors="core formats platform platform/network places resources imaging net engine scene ui locations clouds app editor"
folders="core formats platform places resources imaging net engine scene ui locations clouds app editor"

# set_floor PATH: the floor a path inside the tree belongs to, into FLOOR ("" when
# none); no subshell, since the checks ask for every include and a fork per
# include is slow on a busy machine.
set_floor() {
    local path=$1 first=${1%%/*}
    case $path in
    platform/network | platform/network/*) FLOOR="platform/network" ;;
    *) case " $folders " in *" $first "*) FLOOR="$first" ;; *) FLOOR="" ;; esac ;;
    esac
}
declare -A ALLOWED=()
for f in $floors; do ALLOWED[$f]=" $(allowed "$f") "; done

check_includes() { # check_includes ROOT: prints each upward include, returns 1 if any
    local root=$1 bad=0 line file rel from target to
    local dirs=()
    for f in $folders; do [ -d "$root/$f" ] && dirs+=("$root/$f"); done
    [ ${#dirs[@]} -gt 0 ] || return 0
    while IFS= read -r line; do
        file=${line%%:*}
        rel=${file#"$root"/}
        set_floor "$rel"
        from=$FLOOR
        # The included header's path: "scene/x.h", "platform/network/y.h".
        [[ $line =~ include[[:space:]]*[\"\<]([A-Za-z_/]+)/[A-Za-z0-9_.]+[\"\>] ]] || continue
        set_floor "${BASH_REMATCH[1]}"
        to=$FLOOR
        [ -n "$to" ] || continue
        if [[ ${ALLOWED[$from]} != *" $to "* ]]; then
            echo "$rel: includes $to/, above $from/ (${line#*:*:})"
            bad=1
        fi
    done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*["<][A-Za-z_]+/' "${dirs[@]}" \
        --include='*.h' --include='*.hpp' --include='*.cpp' --include='*.cc' || true)
    return $bad
}

check_links() { # check_links GRAPH: prints each upward link, returns 1 if any
    local graph=$1 bad=0 target folder type linked from dep to
    declare -A floor_of_target=()
    [ -s "$graph" ] || { echo "$graph: no link graph"; return 1; }
    while read -r target folder type; do
        set_floor "$folder"
        floor_of_target[$target]=$FLOOR
    done < <(sed 's/:.*//' "$graph")
    while IFS= read -r line; do
        read -r target folder type <<<"${line%%:*}"
        linked=${line#*:}
        from=${floor_of_target[$target]}
        [ -n "$from" ] || continue
        for dep in $linked; do
            if [ -n "${floor_of_target[$dep]+set}" ]; then
                to=${floor_of_target[$dep]}
                [ -n "$to" ] || continue
                if [[ ${ALLOWED[$from]} != *" $to "* ]]; then
                    echo "$target ($from/) links $dep ($to/), above its floor"
                    bad=1
                fi
            elif [[ $dep =~ ^(OpenSSL::|-lssl$|-lcrypto$|ssl$|crypto$) && $from != platform/network ]]; then
                echo "$target ($from/) links $dep: only platform/network/ links OpenSSL"
                bad=1
            fi
        done
    done <"$graph"
    return $bad
}

self_test() {
    local cmake=$1 out
    tmp=$(mktemp -d) # global: the exit trap reads it
    trap 'rm -rf "$tmp"' EXIT
    mkdir -p "$tmp/engine" "$tmp/scene" "$tmp/editor" "$tmp/platform/network"
    printf '#include "core/vector3.h"\n#include <vector>\n' >"$tmp/engine/fine.cpp"
    printf '#include "engine/mesh.h"\n' >"$tmp/scene/fine.cpp"
    printf '#include "platform/window.h"\n' >"$tmp/platform/network/fine.cpp"
    check_includes "$tmp" >/dev/null || { echo "FAIL: a tree without upward includes was refused"; exit 1; }
    printf '#include "core/log.h"\n  #  include "scene/cameras.h"\n' >"$tmp/engine/up.cpp"
    out=$(check_includes "$tmp") && { echo "FAIL: engine/ including scene/ passed"; exit 1; }
    grep -q 'engine/up.cpp: includes scene/' <<<"$out" || { echo "FAIL: not named: $out"; exit 1; }
    rm "$tmp/engine/up.cpp"
    local planted
    for planted in 'locations/up.cpp:#include "clouds/cloud_layer.h"' \
        'locations/up.cpp:#include "ui/options_overlay.h"' \
        'ui/up.cpp:#include "locations/location_lists.h"' \
        'editor/up.h:#include <app/driver.h>' \
        'editor/up.h:#include "platform/network/async_socket.h"' \
        'platform/up.cpp:#include "platform/network/socket_stream.h"' \
        'imaging/up.cpp:#include "engine/texture.h"' \
        'net/up.cpp:#include "clouds/cloud_page.h"' \
        'places/up.cpp:#include "locations/location_lists.h"' \
        'places/up.cpp:#include "resources/builtin_resources.h"' \
        'places/up.h:#include "core/log.h"' \
        'formats/up.cpp:#include "places/places.h"' \
        'editor/up.h:#include "locations/locations_files.h"'; do
        mkdir -p "$tmp/$(dirname "${planted%%:*}")"
        printf '%s\n' "${planted#*:}" >"$tmp/${planted%%:*}"
        check_includes "$tmp" >/dev/null && { echo "FAIL: planted include passed: $planted"; exit 1; }
        rm "$tmp/${planted%%:*}"
    done
    check_includes "$tmp" >/dev/null || { echo "FAIL: the tree is not clean again"; exit 1; }

    # Links: a small project configured for real, with the project's own
    # graph writer; a clean graph passes, each planted link is caught.
    local project=$tmp/project
    mkdir -p "$project/cmake" "$project/engine" "$project/scene" "$project/editor" \
        "$project/platform/network"
    cp "$(dirname "$0")/../../cmake/GvLayering.cmake" "$project/cmake/"
    printf 'int f(void) { return 0; }\n' | tee "$project/engine/e.c" "$project/scene/s.c" \
        "$project/editor/d.c" "$project/platform/p.c" "$project/platform/network/n.c" >/dev/null
    cat >"$project/CMakeLists.txt" <<'EOF'
cmake_minimum_required(VERSION 3.20)
project(layering_probe C)
list(APPEND CMAKE_MODULE_PATH ${CMAKE_SOURCE_DIR}/cmake)
add_library(OpenSSL::SSL INTERFACE IMPORTED)
add_subdirectory(platform)
add_subdirectory(engine)
add_subdirectory(scene)
add_subdirectory(editor)
include(GvLayering)
gv_write_link_graph(${CMAKE_BINARY_DIR}/link_graph.txt)
EOF
    printf 'add_library(gv_platform STATIC p.c)\nadd_subdirectory(network)\n' >"$project/platform/CMakeLists.txt"
    printf 'add_library(gv_platform_network STATIC n.c)\ntarget_link_libraries(gv_platform_network PUBLIC gv_platform PRIVATE OpenSSL::SSL)\n' \
        >"$project/platform/network/CMakeLists.txt"
    printf 'add_library(gv_engine STATIC e.c)\ntarget_link_libraries(gv_engine PUBLIC gv_platform)\n' \
        >"$project/engine/CMakeLists.txt"
    printf 'add_library(gv_scene STATIC s.c)\ntarget_link_libraries(gv_scene PUBLIC gv_engine)\n' \
        >"$project/scene/CMakeLists.txt"
    printf 'add_executable(GeovistaC d.c)\ntarget_link_libraries(GeovistaC PRIVATE gv_platform)\n' \
        >"$project/editor/CMakeLists.txt"
    configure() {
        rm -rf "$project/build"
        "$cmake" -S "$project" -B "$project/build" >"$tmp/configure.log" 2>&1 ||
            { cat "$tmp/configure.log"; echo "FAIL: the probe project did not configure"; exit 1; }
    }
    configure
    check_links "$project/build/link_graph.txt" >/dev/null ||
        { check_links "$project/build/link_graph.txt"; echo "FAIL: a graph without upward links was refused"; exit 1; }
    printf 'target_link_libraries(gv_engine PRIVATE gv_scene)\n' >>"$project/engine/CMakeLists.txt"
    configure
    out=$(check_links "$project/build/link_graph.txt") && { echo "FAIL: engine/ linking scene/ passed"; exit 1; }
    grep -q 'gv_engine (engine/) links gv_scene (scene/)' <<<"$out" || { echo "FAIL: not named: $out"; exit 1; }
    sed -i '$d' "$project/engine/CMakeLists.txt"
    printf 'target_link_libraries(GeovistaC PRIVATE gv_platform_network)\n' >>"$project/editor/CMakeLists.txt"
    configure
    check_links "$project/build/link_graph.txt" >/dev/null && { echo "FAIL: the editor linking the network part passed"; exit 1; }
    sed -i '$d' "$project/editor/CMakeLists.txt"
    printf 'target_link_libraries(gv_platform PRIVATE OpenSSL::SSL)\n' >>"$project/platform/CMakeLists.txt"
    configure
    out=$(check_links "$project/build/link_graph.txt") && { echo "FAIL: platform/ linking OpenSSL passed"; exit 1; }
    grep -q 'gv_platform (platform/) links OpenSSL::SSL' <<<"$out" || { echo "FAIL: not named: $out"; exit 1; }
    echo "ok: upward includes and links are caught and named"
}

if [ "${1:-}" = "--self-test" ]; then
    self_test "${2:-cmake}"
    exit 0
fi

root=${1:?usage: check_layering.sh SOURCE_ROOT [BUILD_DIR] | --self-test [CMAKE]}
status=0
if check_includes "$root"; then
    echo "ok: no library includes a floor above its own"
else
    status=1
fi
if [ -n "${2:-}" ]; then
    if check_links "$2/link_graph.txt"; then
        echo "ok: no library links a floor above its own"
    else
        status=1
    fi
    # The editor's link command itself (Makefile generators write it out).
    link=$2/editor/CMakeFiles/GeovistaC.dir/link.txt
    if [ -f "$link" ] && grep -qE 'libssl|libcrypto|-lssl|-lcrypto' "$link"; then
        echo "editor/: GeovistaC's link command names OpenSSL"
        status=1
    fi
fi
exit $status
