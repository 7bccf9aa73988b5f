#!/usr/bin/env bash
# The places on screen under a real X server at 1280 x 720, windowed, with
# real keys: the markers and labels on the globe, the locations manager and
# every key of it, the files written at the end, a run ended by SIGTERM
# with the manager open, and the clouds over the flat map.
#   locations_test.sh GEOVISTA SCENARIO [PICTURES_DIR]
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
pixels() { "$PY" "${HERE}/locations_pixels.py" "$@"; }
shot() { import -window root "$1"; }
keep() { [ -n "$PICTURES" ] && mkdir -p "$PICTURES" && cp "$1" "$PICTURES/$2"; return 0; }

# run_globe NAME SELECTION FIELD=VALUE...: a fresh folder with the eight
# places, the preferences, and the globe at ten times the real speed.
run_globe() {
    local name=$1 selection=$2; shift 2
    new_folders "$name"
    if [ "$selection" = capitals ]; then
        "$PY" "${HERE}/locations_files.py" capitals "$DATA"
    elif [ "${selection%%:*}" = capital ]; then
        "$PY" "${HERE}/locations_files.py" capitals "$DATA" "${selection#capital:}"
    else
        "$PY" "${HERE}/locations_files.py" write "$DATA"
    fi
    [ "$selection" = none ] && : >"${DATA}/geovista.sel"
    "$PY" "${HERE}/planet_prefs.py" "${DATA}/geovista.cfg" "$@"
    (cd "$RUN" && LD_PRELOAD="$FAKETIME_LIB" FAKETIME='@2026-03-20 12:00:00 x10' exec "$GEOVISTA") &
    GLOBE=$!
    wait_for 30 log_has "System initialized." || fail "$name: start-up did not finish"
    wait_for 30 globe_window || fail "$name: no visible window"
    WIN=$(globe_window)
    xdotool windowfocus --sync "$WIN" 2>/dev/null || true
}
keys() { xdotool key --delay 60 "$@"; }
stop_globe() {
    kill -TERM "$GLOBE"
    wait_exit "$GLOBE" 20 || fail "the globe did not end"
    [ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE"
}
# until_shot SECONDS IMAGE CHECK...: screenshots until the check passes; a
# key is worked off one message per frame, so the screen catches up later.
until_shot() {
    local limit=$1 image=$2 out end; shift 2
    end=$(($(date +%s) + limit))
    while [ "$(date +%s)" -lt "$end" ]; do
        shot "$image"
        if out=$("$@" 2>&1); then
            echo "$out"
            return 0
        fi
        sleep 0.25
    done
    echo "$out"
    return 1
}
# until_still IMAGE X0 Y0 X1 Y1: screenshots until the box stops changing
# (the keys sent so far have all been worked off).
until_still() {
    local image=$1 next="${1%.png}.next.png"; shift
    shot "$image"
    for _ in $(seq 60); do
        sleep 0.5
        shot "$next"
        if pixels same "$image" "$next" "$@" 0.3 >/dev/null 2>&1; then return 0; fi
        mv "$next" "$image"
    done
    return 1
}

# The user view over Paris (48.86 N, 2.35 E), 500 units out, nothing else in
# the sky: the marker lies on the line from the camera to the earth's
# centre, at the middle of the screen.
QUIET="moonShown=0 sunShown=0 starsShown=0 cameraChangingAutomatic=0"
OVER_PARIS="currentCamera=6 userLatitude=0.852773 userLongitude=0.041015 cam6.distance=500"

case "$SCENARIO" in
markers)
    # Each shot once the fade has lifted and the view stands still.
    run_globe plain none $QUIET $OVER_PARIS
    until_still "${E2E_TMP}/plain.png" 0 0 1280 720 || fail "the view keeps changing"
    stop_globe
    run_globe labels chosen $QUIET $OVER_PARIS
    until_still "${E2E_TMP}/labels.png" 0 0 1280 720 || fail "the view keeps changing"
    stop_globe
    keep "${E2E_TMP}/labels.png" locations-labels.png
    pixels marker "${E2E_TMP}/labels.png" 640 360 || fail "no marker over Paris"
    # Its label starts 8 pixels right of the marker and 6 above it: two
    # lines of text at about half size (371 units against the centre's 500).
    pixels label "${E2E_TMP}/labels.png" "${E2E_TMP}/plain.png" 648 352 700 378 \
        || fail "no label beside the marker"
    pixels same "${E2E_TMP}/labels.png" "${E2E_TMP}/plain.png" 560 380 630 430 \
        || fail "something else changed left of the marker"
    # The marker and label are the chosen place's: without one, no marker,
    # and the globe is the same picture away from the label.
    pixels marker "${E2E_TMP}/plain.png" 640 360 && fail "a marker with no place chosen"
    pixels same "${E2E_TMP}/labels.png" "${E2E_TMP}/plain.png" 300 100 620 620 \
        || fail "the globe changed beside the place"
    pass "Paris has its red marker at the middle and its label beside it"
    ;;
declutter)
    # The view over Europe at noon with 25 capitals and their times, with
    # "LOCATIONS LABELS DECLUTTER" (bit 3 of the option flags) on and off.
    over_europe="currentCamera=6 userLatitude=0.80285 userLongitude=0.20944 cam6.distance=400"
    run_globe plain none $QUIET $over_europe labelsShowTime=1 optionFlags=7
    until_still "${E2E_TMP}/plain.png" 0 0 1280 680 || fail "the view keeps changing"
    stop_globe
    run_globe off capitals $QUIET $over_europe labelsShowTime=1 optionFlags=7
    until_still "${E2E_TMP}/off.png" 0 0 1280 680 || fail "the view keeps changing"
    stop_globe
    run_globe on capitals $QUIET $over_europe labelsShowTime=1 optionFlags=15
    until_still "${E2E_TMP}/on.png" 0 0 1280 680 || fail "the view keeps changing"
    stop_globe
    keep "${E2E_TMP}/on.png" locations-labels.png
    keep "${E2E_TMP}/off.png" locations-labels-cluttered.png
    pixels declutter "${E2E_TMP}/on.png" "${E2E_TMP}/off.png" "${E2E_TMP}/plain.png" \
        || fail "the decluttered labels"
    # The knot of Amsterdam, Berlin and Brussels: each label drawn alone, and
    # the three together with declutter on.
    singles=()
    for name in Amsterdam Berlin Brussels; do
        run_globe "alone-$name" "capital:$name" $QUIET $over_europe labelsShowTime=1 optionFlags=15
        until_still "${E2E_TMP}/alone-$name.png" 0 0 1280 680 || fail "the view keeps changing"
        stop_globe
        singles+=("$name=${E2E_TMP}/alone-$name.png")
    done
    run_globe three "capital:Amsterdam,Berlin,Brussels" $QUIET $over_europe labelsShowTime=1 \
        optionFlags=15
    until_still "${E2E_TMP}/three.png" 0 0 1280 680 || fail "the view keeps changing"
    stop_globe
    pixels knot 0.80285 0.20944 "${E2E_TMP}/three.png" "${E2E_TMP}/off.png" \
        "${E2E_TMP}/plain.png" "${singles[@]}" || fail "the knot of Amsterdam, Berlin and Brussels"
    pass "declutter: no drawn labels overlap, every marker stays, each knot keeps a label, the nearer of two meeting labels stays"
    ;;
manager)
    # The locations view's own distance, which the manager's view replaces
    # while it is open.
    run_globe manager chosen $QUIET $OVER_PARIS cam7.distance=777
    until_still "${E2E_TMP}/globe.png" 0 0 1280 720 || fail "the view keeps changing"
    keys F4
    # Unrolled and open: the lists at their rectangles, the available list
    # focused with its cursor on row 0 (Berlin). Tab hides the lists; the
    # map alone is then the reference for their colours.
    until_shot 20 "${E2E_TMP}/open.png" pixels row "${E2E_TMP}/open.png" available 0 text \
        || fail "the manager did not open"
    keys Tab
    until_shot 20 "${E2E_TMP}/hidden.png" pixels row "${E2E_TMP}/hidden.png" available 0 empty \
        || fail "Tab did not hide the lists"
    # The map alone, once the light has reached it.
    until_still "${E2E_TMP}/hidden.png" 325 95 955 635 || fail "the map keeps changing"
    keys Tab
    until_shot 20 "${E2E_TMP}/lists.png" pixels lists "${E2E_TMP}/lists.png" "${E2E_TMP}/hidden.png" 0 \
        || fail "the lists are not at their rectangles and colours"
    pass "F4 unrolls the map; the lists at their rectangles and colours; Tab hides and shows them"

    # Typing searches: B, U is Buenos Aires (row 1); Enter chooses it as the
    # fourth selected place.
    keys b u
    until_shot 20 "${E2E_TMP}/search.png" pixels lists "${E2E_TMP}/search.png" "${E2E_TMP}/hidden.png" 1 \
        || fail "typing did not move the cursor to Buenos Aires"
    pixels row "${E2E_TMP}/search.png" selected 3 empty || fail "row 3 of the selection is not empty"
    keys Return
    until_shot 20 "${E2E_TMP}/chosen.png" pixels row "${E2E_TMP}/chosen.png" selected 3 text \
        || fail "Enter did not choose Buenos Aires"
    keep "${E2E_TMP}/chosen.png" locations-manager.png
    pass "typing moves the cursor; Enter chooses the place"

    # Insert, a new place with the hemispheres s and W, the zone GMT-4.
    keys Insert
    until_shot 20 "${E2E_TMP}/empty_form.png" pixels empty_form "${E2E_TMP}/empty_form.png" \
        "${E2E_TMP}/hidden.png" || fail "Insert did not show the form"
    xdotool type --delay 80 "Punta Arenas"
    keys Tab 5 3 Tab 0 9 Tab s Tab 0 7 0 Tab 5 5 Tab W Tab
    keys Down Down Down Down Down Down Down Down
    until_still "${E2E_TMP}/form.png" 0 80 460 330 || fail "the form keeps changing"
    pixels form "${E2E_TMP}/form.png" "${E2E_TMP}/hidden.png" \
        || fail "the insert form is not shown instead of the lists"
    keep "${E2E_TMP}/form.png" locations-insert.png
    keys Insert
    until_shot 20 "${E2E_TMP}/added.png" pixels row "${E2E_TMP}/added.png" available 8 text \
        || fail "the new place is not at the end of the list"
    pass "Insert, the form filled in, Insert again: the new place ends the list"

    # Ctrl+Delete on the highlighted place (Berlin, Home) deletes it at once.
    keys Home
    until_shot 20 "${E2E_TMP}/home.png" pixels lists "${E2E_TMP}/home.png" "${E2E_TMP}/hidden.png" 0 \
        || fail "Home did not bring the cursor to the first place"
    keys ctrl+Delete
    until_shot 20 "${E2E_TMP}/deleted.png" pixels row "${E2E_TMP}/deleted.png" available 8 empty \
        || fail "Ctrl+Delete did not delete the place"
    pixels row "${E2E_TMP}/deleted.png" available 7 text
    pass "Ctrl+Delete deletes the highlighted place"

    # F4 rolls the map back into the globe over Paris; Escape then quits.
    # (Under load a shot may come while the view still settles: the marker
    # is waited for like the globe.)
    back_over_paris() {
        pixels same "${E2E_TMP}/back.png" "${E2E_TMP}/globe.png" 0 0 1180 680 4 &&
            pixels marker "${E2E_TMP}/back.png" 640 360
    }
    keys F4
    until_shot 30 "${E2E_TMP}/back.png" back_over_paris \
        || fail "the globe with the marker over Paris did not come back"
    pass "F4 rolls the map back into the globe"
    keys Escape
    wait_exit "$GLOBE" 20 || fail "Escape did not end the globe"
    [ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE"
    "$PY" "${HERE}/locations_files.py" expect "${E2E_TMP}/want.loc" "${E2E_TMP}/want.sel"
    pixels files "$DATA" "${E2E_TMP}/want.loc" "${E2E_TMP}/want.sel" || fail "the files"
    distance=$(od -An -td4 -j $((20 + 48 * 7 + 36)) -N4 "${DATA}/geovista.cfg" | tr -d ' ')
    [ "$distance" = 777 ] || fail "the locations view's distance was saved as $distance, not 777"
    pass "geovista.loc ends with the new record, geovista.sel holds the renumbered selection; the locations view keeps its distance"
    ;;
clouds)
    # A cloud picture of the northern hemisphere alone: white cloud over the
    # top half, dark sea below (no cloud colour).
    new_folders clouds
    convert -size 1024x512 xc:'#102060' -fill white -draw 'rectangle 0,0 1023,255' \
        -type Palette GIF:"${E2E_TMP}/north.gif"
    run_globe_in() { # the same as run_globe, in the folder made above
        "$PY" "${HERE}/locations_files.py" write "$DATA"
        cp "${E2E_TMP}/north.gif" "${DATA}/clouds.sat"
        "$PY" "${HERE}/planet_prefs.py" "${DATA}/geovista.cfg" "$@"
        (cd "$RUN" && LD_PRELOAD="$FAKETIME_LIB" FAKETIME='@2026-03-20 12:00:00 x10' exec "$GEOVISTA") &
        GLOBE=$!
        wait_for 30 log_has "System initialized." || fail "clouds: start-up did not finish"
        wait_for 30 globe_window || fail "clouds: no visible window"
        xdotool windowfocus --sync "$(globe_window)" 2>/dev/null || true
    }
    run_globe_in $QUIET $OVER_PARIS cloudsOnLocationsManager=1
    grep -q "Creating earth clouds .................................. \[[0-9:]*\] \[ PASSED \]" \
        "${RUN}/geovista.log" || fail "the cloud layer was not built from clouds.sat"
    keys F4
    until_shot 20 "${E2E_TMP}/open.png" pixels row "${E2E_TMP}/open.png" available 0 text \
        || fail "the manager did not open"
    # The lists hidden: the map's middle is free. The locations view looks at
    # latitude 0, longitude 0 with north up; the boxes lie west of it (the
    # highlighted Berlin and its label are east), one over the north
    # Atlantic and one over the south Atlantic.
    # (The row test for hidden lists reads white cloud as text: waited out.)
    keys Tab
    until_still "${E2E_TMP}/on.png" 330 95 950 600 || fail "the map keeps changing"
    keep "${E2E_TMP}/on.png" locations-clouds.png
    keys F10
    until_still "${E2E_TMP}/off.png" 330 95 950 600 || fail "the map keeps changing"
    keys F10
    until_still "${E2E_TMP}/again.png" 330 95 950 600 || fail "the map keeps changing"
    stop_globe
    mean() { "$PY" "${HERE}/planet_pixels.py" mean "$@"; }
    NORTH="570 260 25"
    SOUTH="570 460 25"
    on_n=$(mean "${E2E_TMP}/on.png" $NORTH) off_n=$(mean "${E2E_TMP}/off.png" $NORTH)
    again_n=$(mean "${E2E_TMP}/again.png" $NORTH)
    on_s=$(mean "${E2E_TMP}/on.png" $SOUTH) off_s=$(mean "${E2E_TMP}/off.png" $SOUTH)
    echo "north: clouds $on_n, F10 off $off_n, on again $again_n; south: $on_s, off $off_s"
    awk "BEGIN { exit !($on_n > 200 && $on_n > $off_n + 60) }" \
        || fail "no white cloud over the northern half of the map"
    awk "BEGIN { d = $on_s - $off_s; exit !(d < 4 && d > -4) }" \
        || fail "clouds over the southern half, where the picture has none"
    awk "BEGIN { d = $again_n - $on_n; exit !(d < 4 && d > -4) }" \
        || fail "F10 did not bring the clouds back"
    pass "the flat map wears the cloud map over the north only; F10 hides and shows it"
    ;;
sigterm)
    # Settings that the manager changes while open, each set otherwise here.
    mine="currentCamera=6 userCameraFollowsEarth=0 cameraSmoothness=3 cameraChangingAutomatic=1 \
extraSeconds=7 ambientPercent=12 moonShown=1 starsShown=1 sunShown=1 cam7.distance=777"
    run_globe sigterm chosen $mine
    "$PY" "${HERE}/planet_prefs.py" "${E2E_TMP}/given.cfg" $mine
    until_shot 20 "${E2E_TMP}/first.png" "$PY" "${HERE}/planet_pixels.py" drawn \
        "${E2E_TMP}/first.png" || fail "no frame drawn"
    keys F4
    until_shot 20 "${E2E_TMP}/open.png" pixels row "${E2E_TMP}/open.png" available 0 text \
        || fail "the manager did not open"
    stop_globe
    "$PY" - "${DATA}/geovista.cfg" "${E2E_TMP}/given.cfg" <<'PYEOF' || fail "the saved settings"
import sys
saved, given = (bytearray(open(p, "rb").read()) for p in sys.argv[1:3])
assert len(saved) == 1196, len(saved)
# The cameras' live handles are the program's own; everything else is the
# user's, the locations view's distance (777, not the manager's 600) too.
for i in range(8):
    saved[20 + 48 * i:24 + 48 * i] = given[20 + 48 * i:24 + 48 * i]
if saved != given:
    diff = [hex(i) for i in range(1196) if saved[i] != given[i]]
    sys.exit(f"changed bytes at {diff}")
print("the settings saved are the user's own")
PYEOF
    pass "SIGTERM with the manager open saves the user's own settings"
    ;;
*)
    fail "unknown scenario $SCENARIO"
    ;;
esac
