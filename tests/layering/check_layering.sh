#!/usr/bin/env bash
# The libraries' floors, from the bottom up: each folder may include only
# its own headers and those of the folders below it.
#   core < formats < platform < resources < engine < scene
#        < ui, locations (one floor), clouds < app
# The clouds stand beside the overlays: ui/ and locations/ reach the cloud
# layer only through the program's seams, so only app/ includes clouds/.
# The editor (GeovistaC) includes only formats/, platform/ and the built-in
# data of resources/ (and Qt): nothing of the globe's own libraries.
# Tests, benchmarks, fuzzers and tools may include anything.
#   check_layering.sh SOURCE_ROOT   lists every include that reaches up; fails on one
#   check_layering.sh --self-test   shows that an upward include is caught
set -euo pipefail

allowed() { # the folders a folder's files may include
    case $1 in
    core) echo "core" ;;
    formats) echo "core formats" ;;
    platform) echo "core formats platform" ;;
    resources) echo "core formats platform resources" ;;
    engine) echo "core formats platform resources engine" ;;
    scene) echo "core formats platform resources engine scene" ;;
    ui | locations) echo "core formats platform resources engine scene ui locations" ;;
    clouds) echo "core formats platform resources engine scene clouds" ;;
    app) echo "core formats platform resources engine scene ui locations clouds app" ;;
    editor) echo "formats platform resources editor" ;;
    esac
}
floors="core formats platform resources engine scene ui locations clouds app editor"

check() { # check ROOT: prints each upward include, returns 1 if any
    local root=$1 bad=0 folder file line target
    for folder in $floors; do
        [ -d "$root/$folder" ] || continue
        local ok
        ok=" $(allowed "$folder") "
        while IFS= read -r line; do
            file=${line%%:*}
            # The first path segment of the included header: "scene/x.h" -> scene.
            [[ $line =~ include[[:space:]]*[\"\<]([A-Za-z_]+)/ ]] || continue
            target=${BASH_REMATCH[1]}
            case " $floors " in *" $target "*) ;; *) continue ;; esac
            if [[ "$ok" != *" $target "* ]]; then
                echo "${file#"$root"/}: includes $target/, above $folder/ (${line#*:*:})"
                bad=1
            fi
        done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*["<][A-Za-z_]+/' "$root/$folder" \
            --include='*.h' --include='*.hpp' --include='*.cpp' --include='*.cc' || true)
    done
    return $bad
}

if [ "${1:-}" = "--self-test" ]; then
    tmp=$(mktemp -d)
    trap 'rm -rf "$tmp"' EXIT
    mkdir -p "$tmp/engine" "$tmp/scene" "$tmp/editor"
    printf '#include "core/vector3.h"\n#include <vector>\n' >"$tmp/engine/fine.cpp"
    printf '#include "engine/mesh.h"\n' >"$tmp/scene/fine.cpp"
    check "$tmp" >/dev/null || { echo "FAIL: a tree without upward includes was refused"; exit 1; }
    printf '#include "core/log.h"\n  #  include "scene/cameras.h"\n' >"$tmp/engine/up.cpp"
    out=$(check "$tmp") && { echo "FAIL: engine/ including scene/ passed"; exit 1; }
    grep -q 'engine/up.cpp: includes scene/' <<<"$out" || { echo "FAIL: not named: $out"; exit 1; }
    rm "$tmp/engine/up.cpp"
    mkdir -p "$tmp/locations"
    printf '#include "clouds/cloud_layer.h"\n' >"$tmp/locations/up.cpp"
    check "$tmp" >/dev/null && { echo "FAIL: locations/ including clouds/ passed"; exit 1; }
    rm "$tmp/locations/up.cpp"
    printf '#include <app/driver.h>\n' >"$tmp/editor/up.h"
    check "$tmp" >/dev/null && { echo "FAIL: editor/ including app/ passed"; exit 1; }
    echo "ok: upward includes are caught and named"
    exit 0
fi

root=${1:?usage: check_layering.sh SOURCE_ROOT | --self-test}
if check "$root"; then
    echo "ok: no library includes a floor above its own"
else
    exit 1
fi
