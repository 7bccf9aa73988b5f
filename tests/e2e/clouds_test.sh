#!/usr/bin/env bash
# The cloud layer on screen under a real X server at 1280 x 720, windowed,
# over a place in daylight, checked by the pixels of screenshots:
#   cache  - a GIF clouds.sat without a cache: clouds drawn where the picture
#            has them and clouds.tga written; the next start without
#            clouds.sat draws the same from the cache; a picture without a
#            cloud colour leaves the globe clear.
#   toggle - F9 hides the clouds and shows them again.
#   brightness - a greyscale JPEG (a brightness map) and a PNG whose
#            transparency says where the clouds are draw them where the
#            picture has them; a JPEG cut short draws none and the log says
#            why.
#   clouds_test.sh GEOVISTA SCENARIO [PICTURES_DIR]
GEOVISTA=$1
SCENARIO=$2
PICTURES=${3:-}
HERE=$(cd "$(dirname "$0")" && pwd)
source "${HERE}/lib.sh"
PY=/usr/bin/python3
IM=/usr/bin/convert
export TZ=UTC
start_xvfb 1280x720x24

FAKETIME_LIB=$(ls /usr/lib/*/faketime/libfaketime.so.1 | head -n1)
[ -n "$FAKETIME_LIB" ] || fail "libfaketime is not installed"

# Noon at the equinox, the user view over 34.4 N, 17.2 E (the central
# Mediterranean) from 500 away, everything else that shines switched off.
VIEW="currentCamera=6 userLatitude=0.6 userLongitude=0.3 cam6.distance=500 moonShown=0
      sunShown=0 starsShown=0 cameraChangingAutomatic=0"
# Boxes on screen: the point below the view, and one far south of it (over
# Africa, about 15 S).
CENTRE="640 330 25"
SOUTH="640 600 20"

mean() { "$PY" "${HERE}/planet_pixels.py" mean "$@"; }
calc() { awk "BEGIN { printf \"%.3f\", $* }"; }
holds() { awk "BEGIN { exit !($*) }"; }
near() { holds "($1) - ($2) <= $3 && ($2) - ($1) <= $3"; }

# The cloud picture in the program folder: an equirectangular map 1024 x 512
# (column 0 at 180 W), dark sea with a rectangle of cloud white over 39 W
# to 45 E, 20 N to 69 N; or the same in a colour that is no cloud colour.
cloud_picture() { # cloud_picture FILL OUT
    "$IM" -size 1024x512 xc:'#102060' -fill "$1" -draw 'rectangle 400,60 640,200' \
        -type Palette GIF:"$2"
}

# run_globe NAME: a fresh folder named NAME unless it exists already, the
# preferences, then the globe; T0 is when its frames begin.
run_globe() {
    local name=$1
    if [ -d "${E2E_TMP}/${name}" ]; then
        export GV_HOME="${E2E_TMP}/${name}" DATA="${E2E_TMP}/${name}/data" RUN="${E2E_TMP}/${name}/run"
        export XDG_CONFIG_HOME="${GV_HOME}/config" XDG_RUNTIME_DIR="${GV_HOME}/runtime"
    else
        new_folders "$name"
    fi
    "$PY" "${HERE}/planet_prefs.py" "${DATA}/geovista.cfg" $VIEW
    (cd "$RUN" && LD_PRELOAD="$FAKETIME_LIB" FAKETIME='@2026-03-20 12:00:00 x10' exec "$GEOVISTA") &
    GLOBE=$!
    wait_for 30 log_has "System initialized." || fail "$name: start-up did not finish"
    T0=$(date +%s.%N)
    wait_for 30 globe_window || fail "$name: no visible window"
}
at() { local left; left=$(calc "$T0 + $1 - $(date +%s.%N)"); holds "$left > 0" && sleep "$left"; return 0; }
shot() { import -window root "$1"; }
# steady_shot OUT: a shot once the scene is drawn and the curtain has lifted
# (under load the first frames come late): Africa, lit at noon, bright and
# unchanged over half a second.
steady_shot() {
    local before after
    for _ in $(seq 40); do
        shot "${E2E_TMP}/probe.png"
        before=$(mean "${E2E_TMP}/probe.png" $SOUTH)
        sleep 0.5
        shot "$1"
        after=$(mean "$1" $SOUTH)
        holds "$after > 20" && near "$before" "$after" 1 && return 0
    done
    fail "the scene did not settle"
}
stop_globe() {
    kill -TERM "$GLOBE"
    wait_exit "$GLOBE" 20 || fail "the globe did not end"
    [ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE"
}
clouds_step() { # clouds_step RESULT: the start-up step's result in the run's log
    grep -q "Creating earth clouds .................................. \[[0-9:]*\] \[ $1 \]" \
        "${RUN}/geovista.log"
}
keep() { [ -n "$PICTURES" ] && mkdir -p "$PICTURES" && cp "$1" "$PICTURES/$2"; return 0; }

# The globe with no cloud files at all: the picture to compare against.
clear_reference() {
    run_globe clear
    at 2; steady_shot "${E2E_TMP}/clear.png"; stop_globe
    clouds_step "FAILED: non-fatal error" || fail "a run without cloud files reports its clouds"
    CLEAR_CENTRE=$(mean "${E2E_TMP}/clear.png" $CENTRE)
    CLEAR_SOUTH=$(mean "${E2E_TMP}/clear.png" $SOUTH)
    echo "without clouds: centre $CLEAR_CENTRE, south $CLEAR_SOUTH"
}

case "$SCENARIO" in
cache)
    clear_reference

    new_folders satellite
    cloud_picture white "${DATA}/clouds.sat"
    run_globe satellite
    at 2; steady_shot "${E2E_TMP}/satellite.png"; stop_globe
    clouds_step PASSED || fail "the layer was not built from clouds.sat"
    [ -f "${DATA}/clouds.tga" ] || fail "no clouds.tga written"
    "$PY" - "${DATA}/clouds.tga" <<'PYEOF' || fail "clouds.tga is not the cloud map"
import sys
data = open(sys.argv[1], "rb").read()
header = bytes([0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 4, 0, 2, 32, 8])
if data[:18] != header or len(data) != 18 + 1024 * 512 * 4:
    sys.exit(f"header {data[:18].hex()}, {len(data)} bytes")
# Stored top row first: file row 130 is picture row 130, inside the
# rectangle (columns 400..640): opaque white; row 300 is clear sea.
def pixel(row, column):
    at = 18 + (row * 1024 + column) * 4
    return data[at:at + 4]
if pixel(130, 520)[3] < 240 or min(pixel(130, 520)[:3]) < 240:
    sys.exit(f"cloud at row 130: {pixel(130, 520).hex()}")
if pixel(300, 520) != bytes(4):
    sys.exit(f"sea at row 300: {pixel(300, 520).hex()}")
PYEOF
    CACHE_SUM=$(md5sum <"${DATA}/clouds.tga")
    CLOUD_CENTRE=$(mean "${E2E_TMP}/satellite.png" $CENTRE)
    CLOUD_SOUTH=$(mean "${E2E_TMP}/satellite.png" $SOUTH)
    echo "with clouds: centre $CLOUD_CENTRE, south $CLOUD_SOUTH"
    holds "$CLOUD_CENTRE > 140 && $CLOUD_CENTRE > $CLEAR_CENTRE + 80" \
        || fail "no cloud over the place the picture puts it"
    near "$CLOUD_SOUTH" "$CLEAR_SOUTH" 6 || fail "clouds where the picture has none"
    keep "${E2E_TMP}/satellite.png" clouds-rectangle.png
    pass "clouds drawn where clouds.sat has them, and clouds.tga written"

    # The next start, with the cache only.
    rm "${DATA}/clouds.sat"
    run_globe satellite
    at 2; steady_shot "${E2E_TMP}/cached.png"; stop_globe
    clouds_step PASSED || fail "the layer was not built from clouds.tga"
    [ "$(md5sum <"${DATA}/clouds.tga")" = "$CACHE_SUM" ] || fail "clouds.tga was changed"
    CACHED_CENTRE=$(mean "${E2E_TMP}/cached.png" $CENTRE)
    echo "from the cache: centre $CACHED_CENTRE"
    near "$CACHED_CENTRE" "$CLOUD_CENTRE" 4 || fail "the cache draws other clouds"
    near "$(mean "${E2E_TMP}/cached.png" $SOUTH)" "$CLOUD_SOUTH" 4 || fail "the cache draws other clouds"
    pass "the next start draws the same clouds from clouds.tga"

    # A picture with no cloud colour in it: a layer, but a clear one.
    new_folders nocolour
    cloud_picture '#FF8000' "${DATA}/clouds.sat"
    run_globe nocolour
    at 2; steady_shot "${E2E_TMP}/nocolour.png"; stop_globe
    clouds_step PASSED || fail "a picture without cloud colours gave no layer"
    NONE_CENTRE=$(mean "${E2E_TMP}/nocolour.png" $CENTRE)
    echo "no cloud colour: centre $NONE_CENTRE"
    near "$NONE_CENTRE" "$CLEAR_CENTRE" 4 || fail "a picture without cloud colours shows clouds"
    pass "a picture without cloud colours leaves the globe clear"
    ;;
toggle)
    clear_reference
    new_folders toggle
    cloud_picture white "${DATA}/clouds.sat"
    run_globe toggle
    at 2; steady_shot "${E2E_TMP}/on.png"
    xdotool key --window "$(globe_window)" F9
    sleep 1; steady_shot "${E2E_TMP}/off.png"
    xdotool key --window "$(globe_window)" F9
    sleep 1; steady_shot "${E2E_TMP}/on_again.png"
    stop_globe
    ON=$(mean "${E2E_TMP}/on.png" $CENTRE)
    OFF=$(mean "${E2E_TMP}/off.png" $CENTRE)
    AGAIN=$(mean "${E2E_TMP}/on_again.png" $CENTRE)
    echo "centre: clouds $ON, after F9 $OFF, after F9 again $AGAIN (clear $CLEAR_CENTRE)"
    holds "$ON > $CLEAR_CENTRE + 80" || fail "no clouds before F9"
    near "$OFF" "$CLEAR_CENTRE" 6 || fail "F9 did not hide the clouds"
    near "$AGAIN" "$ON" 6 || fail "F9 again did not show the clouds"
    pass "F9 hides the cloud layer and shows it again"
    ;;
brightness)
    clear_reference
    # The rectangle in light grey on black, one channel: a brightness map.
    # As a colour picture its grey (#F0F0F0) would be no cloud colour.
    new_folders jpeg
    "$IM" -size 1024x512 xc:black -fill '#F0F0F0' -draw 'rectangle 400,60 640,200' \
        -type Grayscale -quality 90 JPEG:"${DATA}/clouds.sat"
    run_globe jpeg
    at 2; steady_shot "${E2E_TMP}/jpeg.png"; stop_globe
    clouds_step PASSED || fail "the layer was not built from a greyscale JPEG"
    JPEG_CENTRE=$(mean "${E2E_TMP}/jpeg.png" $CENTRE)
    JPEG_SOUTH=$(mean "${E2E_TMP}/jpeg.png" $SOUTH)
    echo "greyscale JPEG: centre $JPEG_CENTRE, south $JPEG_SOUTH"
    holds "$JPEG_CENTRE > 120 && $JPEG_CENTRE > $CLEAR_CENTRE + 70" \
        || fail "no cloud from the brightness map"
    near "$JPEG_SOUTH" "$CLEAR_SOUTH" 6 || fail "clouds where the brightness map is black"
    pass "a greyscale JPEG draws its clouds as a brightness map"

    # White everywhere, opaque only over the rectangle.
    new_folders alpha
    "$IM" -size 1024x512 xc:white \( -size 1024x512 xc:black -fill white \
        -draw 'rectangle 400,60 640,200' \) -alpha off -compose CopyOpacity -composite \
        PNG32:"${DATA}/clouds.sat"
    run_globe alpha
    at 2; steady_shot "${E2E_TMP}/alpha.png"; stop_globe
    clouds_step PASSED || fail "the layer was not built from a PNG with alpha"
    ALPHA_CENTRE=$(mean "${E2E_TMP}/alpha.png" $CENTRE)
    ALPHA_SOUTH=$(mean "${E2E_TMP}/alpha.png" $SOUTH)
    echo "PNG with alpha: centre $ALPHA_CENTRE, south $ALPHA_SOUTH"
    holds "$ALPHA_CENTRE > 140 && $ALPHA_CENTRE > $CLEAR_CENTRE + 70" \
        || fail "no cloud where the PNG is opaque"
    near "$ALPHA_SOUTH" "$CLEAR_SOUTH" 6 || fail "clouds where the PNG is transparent"
    pass "a PNG with alpha draws clouds where it is opaque"

    # The same JPEG cut in half: refused, no layer, the reason in the log.
    new_folders cut
    cp "${E2E_TMP}/jpeg/data/clouds.sat" "${E2E_TMP}/whole.jpg"
    head -c $(($(stat -c %s "${E2E_TMP}/whole.jpg") / 2)) "${E2E_TMP}/whole.jpg" >"${DATA}/clouds.sat"
    run_globe cut
    at 2; steady_shot "${E2E_TMP}/cut.png"; stop_globe
    clouds_step "FAILED: non-fatal error" || fail "a JPEG cut short gave a layer"
    grep -q "Cloud picture not decoded: JPEG: " "${RUN}/geovista.log" \
        || fail "the log does not say why the JPEG was refused"
    near "$(mean "${E2E_TMP}/cut.png" $CENTRE)" "$CLEAR_CENTRE" 6 || fail "clouds from a JPEG cut short"
    [ -f "${DATA}/clouds.tga" ] && fail "a cache was written from a JPEG cut short"
    pass "a JPEG cut short is refused with its reason in the log"
    ;;
picture)
    # A clouded globe for the README, a made-up cloud field over the
    # Atlantic in the late morning.
    new_folders picture
    "$PY" "${HERE}/cloud_field.py" "${E2E_TMP}/field.png"
    "$IM" "${E2E_TMP}/field.png" -type Palette GIF:"${DATA}/clouds.sat"
    VIEW="currentCamera=6 userLatitude=0.45 userLongitude=-0.3 cam6.distance=560 moonShown=0
          sunShown=0 cameraChangingAutomatic=0"
    run_globe picture
    at 4; shot "${E2E_TMP}/picture.png"; stop_globe
    clouds_step PASSED || fail "the layer was not built"
    keep "${E2E_TMP}/picture.png" clouds.png
    pass "a clouded globe pictured"
    ;;
*)
    fail "unknown scenario $SCENARIO"
    ;;
esac
