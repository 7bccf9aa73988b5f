#!/usr/bin/env bash
# The planet scene on screen under a real X server at 1280 x 720, windowed,
# checked by the pixels of screenshots: the fade, day and night at a faked
# instant, the terminator at the solstices, the sun with its flares and the
# earth hiding them, the camera glide with its messages, and the clock.
#   planet_scene.sh GEOVISTA SCENARIO [PICTURES_DIR]
GEOVISTA=$1
SCENARIO=$2
PICTURES=${3:-}
HERE=$(cd "$(dirname "$0")" && pwd)
source "${HERE}/lib.sh"
PY=/usr/bin/python3
export TZ=UTC
start_xvfb 1280x720x24

FAKETIME_LIB=$(ls /usr/lib/*/faketime/libfaketime.so.1 | head -n1)
[ -n "$FAKETIME_LIB" ] || fail "libfaketime is not installed"
pixels() { "$PY" "${HERE}/planet_pixels.py" "$@"; }

# run_globe NAME FAKETIME FIELD=VALUE...: a fresh folder, the preferences,
# the globe started at the faked instant; T0 is when its frames begin.
run_globe() {
    local name=$1 when=$2; shift 2
    new_folders "$name"
    "$PY" "${HERE}/planet_prefs.py" "${DATA}/geovista.cfg" "$@"
    # The library itself rather than the faketime wrapper, so that the
    # process signalled is the globe.
    (cd "$RUN" && LD_PRELOAD="$FAKETIME_LIB" FAKETIME="$when" exec "$GEOVISTA") &
    GLOBE=$!
    wait_for 30 log_has "System initialized." || fail "$name: start-up did not finish"
    T0=$(date +%s.%N)
    wait_for 30 globe_window || fail "$name: no visible window"
}
# Arithmetic and comparisons on decimals (awk is always there).
calc() { awk "BEGIN { printf \"%.6f\", $* }"; }
holds() { awk "BEGIN { exit !($*) }"; }
now() { date +%s.%N; }
# at SECONDS: sleeps until that long after T0.
at() { local left; left=$(calc "$T0 + $1 - $(now)"); holds "$left > 0" && sleep "$left"; return 0; }
shot() { import -window root "$1"; }
stop_globe() {
    kill -TERM "$GLOBE"
    wait_exit "$GLOBE" 20 || fail "the globe did not end"
    [ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE"
}
# drawn_shot OUT: a shot once the first frames have come (late on a loaded
# machine) and the curtain, a second at ten times the speed, has lifted.
drawn_shot() {
    for _ in $(seq 60); do
        shot "$1"
        if pixels drawn "$1" >/dev/null; then
            sleep 1.2
            shot "$1"
            return 0
        fi
        sleep 0.5
    done
    fail "nothing was drawn: $1"
}
keep() { [ -n "$PICTURES" ] && mkdir -p "$PICTURES" && cp "$1" "$PICTURES/$2"; return 0; }

# The sun stays out of the way of the day and night pictures.
QUIET="moonShown=0 sunShown=0 starsShown=0 cameraChangingAutomatic=0"
# The user view over a place (radians); it follows the earth.
over() { echo "currentCamera=6 userLatitude=$1 userLongitude=$2 cam6.distance=500"; }
# "NIGHT LIGHTS", "TRUE SEASONS" and "ATMOSPHERE" are bits 0, 1 and 2.
LIGHTS=optionFlags=1 SEASONS=optionFlags=2 AIR=optionFlags=4 NONE=optionFlags=0

case "$SCENARIO" in
startup)
    run_globe startup '@2026-03-20 12:00:00 x10'
    stop_globe
    expect_run_report "${RUN}/geovista.log"
    pass "every start-up step in order with its result; the cloud layer is reported missing, not fatal"
    ;;
fade)
    # Real speed: the curtain takes ten seconds. The sun view looks at the
    # day side.
    for attempt in 1 2 3; do
        run_globe "fade${attempt}" '@2026-03-20 12:00:00' currentCamera=4 cameraChangingAutomatic=0 moonShown=0
        shot "${E2E_TMP}/f0.png"
        at 5
        before=$(calc "$(now) - $T0")
        shot "${E2E_TMP}/f5.png"
        after=$(calc "$(now) - $T0")
        at 11; shot "${E2E_TMP}/f10.png"
        stop_globe
        set +e
        pixels fade "${E2E_TMP}/f0.png" "${E2E_TMP}/f5.png" "${E2E_TMP}/f10.png" 640 350 40 \
            "$before" "$after"
        status=$?
        set -e
        [ $status = 3 ] || break
        echo "capture too slow on attempt $attempt; again"
    done
    [ $status = 0 ] || fail "fade"
    keep "${E2E_TMP}/f10.png" day-side.png
    pass "black at the start, about half at 5 s, gone after 10 s"
    ;;
daynight)
    # Over Greenwich (51.48 N, 0): lit at noon UTC at the equinox, dark at
    # midnight.
    run_globe noon '@2026-03-20 12:00:00 x10' $QUIET $(over 0.8985 0)
    at 2.5; shot "${E2E_TMP}/noon.png"; stop_globe
    run_globe midnight '@2026-03-21 00:00:00 x10' $QUIET $(over 0.8985 0)
    at 2.5; shot "${E2E_TMP}/midnight.png"; stop_globe
    noon=$(pixels mean "${E2E_TMP}/noon.png" 640 360 30)
    night=$(pixels mean "${E2E_TMP}/midnight.png" 640 360 30)
    echo "Greenwich: noon $noon, midnight $night"
    keep "${E2E_TMP}/noon.png" greenwich-noon.png
    holds "$noon > 20 && $night < 0.2 * $noon" \
        || fail "Greenwich is not lit at noon and dark at midnight"
    pass "Greenwich lit at 12:00 UTC and dark at 00:00 UTC at the equinox"
    # Solstices: the subsolar longitude is 90 E at 06:00 UTC and 90 W at
    # 18:00 UTC, so over longitude 0 (June) and 180 (December, open ocean
    # on both sides) the terminator runs down the middle, the half towards
    # the subsolar point (east, on the right) lit.
    run_globe june '@2026-06-21 06:00:00 x10' $QUIET $(over 0 0)
    at 2.5; shot "${E2E_TMP}/june.png"; stop_globe
    keep "${E2E_TMP}/june.png" june.png
    pixels terminator "${E2E_TMP}/june.png" right || fail "June solstice terminator"
    run_globe december '@2026-12-21 18:00:00 x10' $QUIET $(over 0 3.14159)
    at 2.5; shot "${E2E_TMP}/december.png"; stop_globe
    keep "${E2E_TMP}/december.png" december.png
    pixels terminator "${E2E_TMP}/december.png" right || fail "December solstice terminator"
    pass "terminator on the meridian 90 degrees from the subsolar point at both solstices"
    ;;
sun)
    # The sun view shows the sun; with the smallest sun it stands near
    # enough to the centre for the flares.
    run_globe sunview '@2026-03-20 12:00:00 x10' currentCamera=4 cameraChangingAutomatic=0 \
        sunSize=1 lensFlareSize=5
    at 2.5; drawn_shot "${E2E_TMP}/sun_on.png"; stop_globe
    run_globe sunview_noflares '@2026-03-20 12:00:00 x10' currentCamera=4 \
        cameraChangingAutomatic=0 sunSize=1 lensFlareSize=5 lensFlares=0
    at 2.5; drawn_shot "${E2E_TMP}/sun_off.png"; stop_globe
    keep "${E2E_TMP}/sun_on.png" sun-view.png
    pixels differ "${E2E_TMP}/sun_on.png" "${E2E_TMP}/sun_off.png" || fail "no flares in the sun view"
    keep "${E2E_TMP}/sun_on.png" sun-view.png
    pass "the sun view shows the sun with its flares"

    # The sun view's offset turns with the line from the sun to the earth:
    # on every date the "TINY" sun stands above the earth, in the middle of
    # the picture, where the camera sees it 39.28 up and 289.32 ahead:
    # y = 360 - 1.8975 * 39.28 / 289.32 * (1280 / 720) * 360 = 195.
    bare="currentCamera=4 cameraChangingAutomatic=0 sunSize=1 lensFlares=0 earthGlow=0 sunOverbrights=0 moonShown=0 starsShown=0"
    for when in '2026-03-20 12:00:00' '2026-06-21 12:00:00' '2026-12-21 12:00:00'; do
        run_globe "sunspot" "@${when} x10" $bare
        at 2.5; drawn_shot "${E2E_TMP}/spot.png"; stop_globe
        pixels sunspot "${E2E_TMP}/spot.png" 640 195 4 || fail "the sun view on ${when}"
    done
    pass "the sun view shows the sun above the earth in March, June and December"

    # Orbit 1 held still on the night side: at angle pi/2 - theta the earth
    # stands exactly between camera and sun (theta = the earth's orbit angle
    # on 20 March at noon); a little further round the sun is hidden behind
    # the limb, further still it is beside the earth.
    theta=$(calc "78.5 * 0.0172142")
    hidden=$(calc "1.5708 - $theta + 0.2")
    beside=$(calc "1.5708 - $theta + 0.4")
    common="currentCamera=0 cameraChangingAutomatic=0 cam0.speed=0 moonShown=0 earthGlow=0 sunSize=1 lensFlareSize=5"
    for c in "hidden_on $hidden 1" "hidden_off $hidden 0" "beside_on $beside 1" "beside_off $beside 0"; do
        set -- $c
        run_globe "$1" '@2026-03-20 12:00:00 x10' $common "cam0.angle=$2" "lensFlares=$3"
        at 2.5; drawn_shot "${E2E_TMP}/$1.png"; stop_globe
    done
    pixels differ "${E2E_TMP}/beside_on.png" "${E2E_TMP}/beside_off.png" \
        || fail "the sun beside the earth shows no flares"
    pixels same "${E2E_TMP}/hidden_on.png" "${E2E_TMP}/hidden_off.png" \
        || fail "flares shine through the earth"
    pass "flares beside the earth, none while the earth hides the sun"
    ;;
glide)
    # Orbit 1 (560 units out) to Orbit 2 (1000 units out), both still at the
    # angle pi, so on one line from the earth (Orbit 2's height there is
    # cos(pi / 2) * 750 = 0), at "SUPER SMOOTH" (10 s), started by the
    # automatic change 12 s into the run, at real speed. With full ambient
    # light and no sun, moon or stars the earth is a disc on black whose
    # size tells the camera's distance; the shots follow it along the glide.
    for attempt in 1 2 3; do
        run_globe "glide${attempt}" '@2026-03-20 12:00:00' currentCamera=0 \
            cameraChangingAutomatic=1 cameraChangeTime=12000 cameraSmoothness=0 \
            cam0.speed=0 cam0.angle=3.14159265 cam0.distance=560 \
            cam1.speed=0 cam1.angle=3.14159265 cam1.distance=1000 \
            moonShown=0 sunShown=0 starsShown=0 ambientPercent=100
        at 10.5
        n=0
        rm -f "${E2E_TMP}/times"
        # The next automatic change comes 24 s into the run.
        while holds "$(now) < $T0 + 23.3"; do
            before=$(calc "$(now) - $T0")
            shot "${E2E_TMP}/g_${n}.png"
            echo "$n $before $(calc "$(now) - $T0")" >>"${E2E_TMP}/times"
            n=$((n + 1))
        done
        stop_globe
        set +e
        pixels glide "${E2E_TMP}/times" "${E2E_TMP}" >"${E2E_TMP}/glide.txt"
        status=$?
        set -e
        [ $status = 3 ] || break
        cat "${E2E_TMP}/glide.txt"
        echo "captures too slow on attempt $attempt; again"
    done
    cat "${E2E_TMP}/glide.txt"
    [ $status = 0 ] || fail "glide"
    read -r begun ended half < <(tail -n1 "${E2E_TMP}/glide.txt")
    pixels clock "${E2E_TMP}/g_${begun}.png" || fail "clock"
    keep "${E2E_TMP}/g_${half}.png" glide.png
    pass "Orbit 1 to Orbit 2 along the eased path in 10 s, with CAMERA SELECTED and COMPLETED in their colours and places; clock at the bottom right"
    ;;
seasons)
    # The Greenland ice at 80 N 40 W at local midnight on 21 June (02:40
    # UTC): the midnight sun, about 13 degrees high, lights it with "TRUE
    # SEASONS"; untilted it lies 10 degrees below the horizon.
    for o in on off; do
        [ $o = on ] && opt=$SEASONS || opt=$NONE
        run_globe "june_$o" '@2026-06-21 02:40:00 x10' $QUIET $(over 1.3963 -0.6981) $opt
        at 2.5; drawn_shot "${E2E_TMP}/june_$o.png"; stop_globe
    done
    keep "${E2E_TMP}/june_on.png" midnight-sun.png
    pixels brighter "${E2E_TMP}/june_on.png" "${E2E_TMP}/june_off.png" 2.5 \
        || fail "no midnight sun over Greenland with true seasons"
    # 65 N 40 W at local noon on 21 December (14:40 UTC): the sun on the
    # horizon with true seasons, 25 degrees high without.
    for o in on off; do
        [ $o = on ] && opt=$SEASONS || opt=$NONE
        run_globe "december_$o" '@2026-12-21 14:40:00 x10' $QUIET $(over 1.1345 -0.6981) $opt
        at 2.5; drawn_shot "${E2E_TMP}/december_$o.png"; stop_globe
    done
    pixels brighter "${E2E_TMP}/december_off.png" "${E2E_TMP}/december_on.png" 2.5 \
        || fail "the December noon sun is not low with true seasons"
    pass "midnight sun over the Greenland ice in June and a sun on the horizon at 65 N in December with true seasons; neither without"
    ;;
lights)
    # Europe (50 N 10 E) at 00:00 UTC on 20 March, and at 12:00 UTC.
    for o in on off; do
        [ $o = on ] && opt=$LIGHTS || opt=$NONE
        run_globe "night_$o" '@2026-03-20 00:00:00 x10' $QUIET $(over 0.8727 0.1745) $opt
        at 2.5; drawn_shot "${E2E_TMP}/night_$o.png"; stop_globe
        run_globe "day_$o" '@2026-03-20 12:00:00 x10' $QUIET $(over 0.8727 0.1745) $opt
        at 2.5; drawn_shot "${E2E_TMP}/day_$o.png"; stop_globe
    done
    pixels lights "${E2E_TMP}/night_on.png" "${E2E_TMP}/night_off.png" \
        "${E2E_TMP}/day_on.png" "${E2E_TMP}/day_off.png" || fail "night lights"
    pass "warm city lights over Europe at night with night lights, none without, none on the day side"
    ;;
atmosphere)
    # Over the point under the sun (0 N 0 E at 12:00 UTC at the equinox),
    # the whole limb lit.
    for o in on off; do
        [ $o = on ] && opt=$AIR || opt=$NONE
        run_globe "air_$o" '@2026-03-20 12:00:00 x10' $QUIET $(over 0 0) $opt
        at 2.5; drawn_shot "${E2E_TMP}/air_$o.png"; stop_globe
    done
    pixels rim "${E2E_TMP}/air_on.png" "${E2E_TMP}/air_off.png" || fail "atmosphere"
    pass "a blue rim on the lit limb and a blue ring round the disc with the atmosphere, neither without"
    ;;
*)
    fail "unknown scenario $SCENARIO"
    ;;
esac
