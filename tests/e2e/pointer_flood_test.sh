#!/usr/bin/env bash
# A burst of pointer moves does not hold up the keys behind it: the left
# button held in the user view, 500 pointer moves sent by xdotool as fast as
# it goes, then Escape. The globe must end within one second of the Escape,
# and the drag must have steered the view (the saved user longitude moved).
#   pointer_flood_test.sh GEOVISTA
GEOVISTA=$1
HERE=$(cd "$(dirname "$0")" && pwd)
source "${HERE}/lib.sh"
start_xvfb 1280x720x24
W=1280
H=720

new_folders flood
# The whole scene (stars, sun, moon, flares), so that a frame costs what it
# costs in use; the user view, which the drag steers, and no camera change.
/usr/bin/python3 "${HERE}/planet_prefs.py" "$DATA/geovista.cfg" currentCamera=6 \
    cameraChangingAutomatic=0 userLatitude=0 userLongitude=0
u32_at() { od -An -tu4 -j "$2" -N4 "$1" | tr -d ' '; }
f32_at() { od -An -tf4 -j "$2" -N4 "$1" | tr -d ' '; }

(cd "$RUN" && exec "$GEOVISTA") &
pid=$!
wait_for 30 log_has "System initialized." || fail "start-up did not finish"
wait_for 20 globe_window || fail "no visible window"
win=$(globe_window)
xdotool windowfocus --sync "$win" 2>/dev/null || true
# The first frames are drawn once the screen is no longer all black.
drawn() { [ "$(import -window root -depth 8 -format '%[fx:int(255*mean)]' info:)" -gt 0 ]; }
wait_for 30 drawn || fail "no frame drawn"

xdotool mousemove $((W / 2)) $((H / 2)) mousedown 1
# 500 moves right of and below the middle, all in one xdotool run.
moves=()
for i in $(seq 0 499); do
    moves+=(mousemove $((W / 2 + 20 + i % 60)) $((H / 2 + 5 + i % 30)))
done
xdotool "${moves[@]}"
start=$(date +%s%N)
xdotool key Escape
while kill -0 "$pid" 2>/dev/null; do
    [ $(($(date +%s%N) - start)) -lt 60000000000 ] || fail "the globe did not end within 60 s"
    sleep 0.01
done
elapsed_ms=$((($(date +%s%N) - start) / 1000000))
set +e
wait "$pid"
code=$?
set -e
xdotool mouseup 1 2>/dev/null || true
echo "the globe ended ${elapsed_ms} ms after the Escape"
[ "$code" = 0 ] || fail "exit code $code"
[ "$elapsed_ms" -lt 1000 ] || fail "Escape took ${elapsed_ms} ms to end the globe behind the moves"
# Every move was to the right of the middle: the view turned west.
longitude=$(f32_at "$DATA/geovista.cfg" $((0x1A4)))
awk "BEGIN { exit !($longitude < -0.01) }" ||
    fail "the drag did not steer the user view (longitude $longitude)"
[ "$(u32_at "$DATA/geovista.cfg" $((0x194)))" = 6 ] || fail "not in the user view"
pass "Escape ended the globe ${elapsed_ms} ms after 500 pointer moves; the drag steered the view"
