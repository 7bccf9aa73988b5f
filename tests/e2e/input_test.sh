#!/usr/bin/env bash
# Keys, overlays, screenshots and the screen-saver hosts under a real X
# server: the options overlay changes "SUN SIZE" on screen, the help panel
# slides in with its fifteen rows, F2 saves numbered frames, the camera keys
# and the options reach the saved preferences, and the globe draws into a
# host's window as preview or as the conventional saver.
GEOVISTA=$1
HOST_WINDOW=$2
source "$(dirname "$0")/lib.sh"
start_xvfb 1280x720x24
W=1280
H=720

grab() { import -window root "$1"; }
# Pixels of an image region as raw RGB, hashed.
region_hash() { convert "$1" -crop "$4x$5+$2+$3" +repage -depth 8 rgb:- | md5sum | cut -d' ' -f1; }
# Yellow pixels (the help descriptions) in a region.
yellow_count() {
    convert "$1" -crop "$4x$5+$2+$3" +repage -depth 8 txt:- |
        awk -F'[(),]' 'NR > 1 { if ($3 > 150 && $4 > 150 && $5 < 100) n++ } END { print n + 0 }'
}
# Non-black pixels in a region.
lit_count() {
    convert "$1" -crop "$4x$5+$2+$3" +repage -depth 8 txt:- |
        awk -F'[(),]' 'NR > 1 { if ($3 + $4 + $5 > 60) n++ } END { print n + 0 }'
}
REST_X=$((W - 220))
REST_Y=$((H - 260))
# How many help rows show their description, counted from the bottom row
# (row i has its text at y = REST_Y + 215 - 15 i).
count_help_rows() {
    awk -F'[(),:]' 'NR > 1 && $4 > 150 && $5 > 150 && $6 < 100 { hits[int((223 - $2) / 15)]++ }
        END { n = 0; while (n < 15 && hits[n] > 3) n++; print n }'
}
HELP_TEXT="150x225+$((REST_X + 56))+$((REST_Y + 5))"
help_rows() { convert "$1" -crop "$HELP_TEXT" +repage -depth 8 txt:- | count_help_rows; }
help_rows_on_screen() { import -window root -crop "$HELP_TEXT" +repage -depth 8 txt:- | count_help_rows; }
u32_at() { od -An -tu4 -j "$2" -N4 "$1" | tr -d ' '; }
# Nearly white pixels in a region of the screen (the white host windows).
white_on_screen() {
    import -window root -crop "$3x$4+$1+$2" +repage -depth 8 txt:- |
        awk -F'[(),:]' 'NR > 1 && $4 + $5 + $6 > 740 { n++ } END { print n + 0 }'
}
# A still scene: no stars, sun, moon or clouds, and the first two orbits at
# rest on one line from the earth (angle pi, 560 and 1000 units out), so that
# the overlays' regions change only when the overlays do and nothing but a
# glide changes the earth's size, over "SUPER SMOOTH"'s ten seconds (a look
# at the screen takes a second or two on a busy machine). Full ambient light
# makes the earth a whole disc. Messages stay as long as the glide.
quiet_preferences() {
    /usr/bin/python3 "$(dirname "$0")/planet_prefs.py" "$DATA/geovista.cfg" starsShown=0 \
        sunShown=0 lensFlares=0 moonShown=0 cloudsShown=0 cameraChangingAutomatic=0 \
        cam0.speed=0 cam0.angle=3.14159265 cam1.speed=0 cam1.angle=3.14159265 \
        cam1.distance=1000 ambientPercent=100 cameraSmoothness=0 messageTime=12000 "$@"
}
pixels() { /usr/bin/python3 "$(dirname "$0")/planet_pixels.py" "$@"; }
# until_faded_in IMAGE: screenshots until the whole disc of the earth 560
# units away is lit and two shots in a row are the same (the curtain no
# longer falls).
until_faded_in() {
    local image=$1 next="${1%.png}.next.png" near
    near=$(pixels radius_at 560)
    grab "$image"
    for _ in $(seq 100); do
        grab "$next"
        if pixels radius "$next" | awk -v want="$near" '{ d = $1 - want; exit !(d < 3 && d > -3) }' &&
            pixels same "$image" "$next" >/dev/null 2>&1; then
            mv "$next" "$image"
            return 0
        fi
        mv "$next" "$image"
    done
    return 1
}
# until_region IMAGE X Y W H HASH: screenshots until the region has that hash.
until_region() {
    local image=$1 x=$2 y=$3 w=$4 h=$5 want=$6
    for _ in $(seq 50); do
        grab "$image"
        [ "$(region_hash "$image" "$x" "$y" "$w" "$h")" = "$want" ] && return 0
        sleep 0.1
    done
    return 1
}
# until_region_settles IMAGE X Y W H: screenshots until the region is the
# same twice in a row (the keys sent so far have been worked off).
until_region_settles() {
    local image=$1 x=$2 y=$3 w=$4 h=$5 last="" now
    for _ in $(seq 50); do
        grab "$image"
        now=$(region_hash "$image" "$x" "$y" "$w" "$h")
        [ "$now" = "$last" ] && return 0
        last=$now
    done
    return 1
}

# ------------------------------------------------------------------ application
new_folders app
quiet_preferences
(cd "$RUN" && exec "$GEOVISTA") &
pid=$!
wait_for 20 log_has "System initialized." || fail "start-up did not finish"
wait_for 10 globe_window || fail "no visible window"
win=$(globe_window)
xdotool windowfocus --sync "$win" 2>/dev/null || true
until_faded_in "$E2E_TMP/before.png" || fail "the earth did not fade in"

# --- F3 shows the options overlay; Right walks to "SUN SIZE", Up changes it.
xdotool key F3
wait_for 5 bash -c "import -window root $E2E_TMP/o.png && [ \$(convert $E2E_TMP/o.png -crop 200x20+$((W - 220))+8 +repage -depth 8 txt:- | awk -F'[(),]' 'NR>1 && \$3+\$4+\$5>120 {n++} END {print n+0}') -gt 20 ]" ||
    fail "the options caption did not appear"
grab "$E2E_TMP/first.png"
[ "$(lit_count "$E2E_TMP/first.png" 8 $((H - 55)) 400 28)" -gt 50 ] || fail "no label drawn"
[ "$(lit_count "$E2E_TMP/first.png" 12 $((H - 105)) 60 16)" -gt 20 ] || fail "no key-hint arrows"
first_label=$(region_hash "$E2E_TMP/first.png" 8 $((H - 55)) 400 28)
for _ in $(seq 14); do xdotool key Right; done
until_region_settles "$E2E_TMP/sun_normal.png" 8 $((H - 85)) 400 58 || fail "the overlay keeps changing"
[ "$(region_hash "$E2E_TMP/sun_normal.png" 8 $((H - 55)) 400 28)" != "$first_label" ] ||
    fail "Right did not change the label"
normal=$(region_hash "$E2E_TMP/sun_normal.png" 8 $((H - 85)) 300 30)
xdotool key Up
until_region_settles "$E2E_TMP/sun_big.png" 8 $((H - 85)) 300 30 || fail "the value keeps changing"
big=$(region_hash "$E2E_TMP/sun_big.png" 8 $((H - 85)) 300 30)
[ "$big" != "$normal" ] || fail "Up did not change the value on screen"
xdotool key Down
until_region "$E2E_TMP/sun_down.png" 8 $((H - 85)) 300 30 "$normal" ||
    fail "Down did not bring the value back as it was drawn"
xdotool key Up
until_region "$E2E_TMP/sun_again.png" 8 $((H - 85)) 300 30 "$big" ||
    fail "the same value does not draw the same"
pass "F3 shows the options; Right and Up change SUN SIZE on screen"

# --- F1 slides the help panel in; its rows fill up from ESC to F1.
start=$(date +%s%N)
xdotool key F1
rows=0
while [ "$rows" -lt 15 ]; do
    [ $(($(date +%s%N) - start)) -lt 6000000000 ] || fail "only $rows help rows after 6 s"
    rows=$(help_rows_on_screen)
done
elapsed_ms=$((($(date +%s%N) - start) / 1000000))
# A 15-step slide and 15 row steps of 50 ms each make 1.5 s. The steps count
# the truncated running average of the frame time, which lags behind the
# clock when frames take only a millisecond or two (as here, with no scene to
# draw), and every look at the screen takes a few tenths: hence the margin.
[ "$elapsed_ms" -lt 4500 ] || fail "help rows took ${elapsed_ms} ms"
pass "F1 slides the help panel in with all 15 rows (${elapsed_ms} ms including sampling)"

# --- F2 twice, in two frames: two numbered files, each the frame with overlays.
xdotool key F2 F2
shot_whole() { [ "$(identify -format %wx%h "$RUN/Geovista_002.tga" 2>/dev/null)" = "${W}x${H}" ]; }
wait_for 10 shot_whole || fail "two screenshots were not written"
grab "$E2E_TMP/screen.png"
[ ! -e "$RUN/Geovista_003.tga" ] || fail "more than two screenshots"
for n in 001 002; do
    shot="$E2E_TMP/shot_$n.png"
    convert "$RUN/Geovista_$n.tga" -auto-orient "$shot"
    [ "$(identify -format %wx%h "$shot")" = "${W}x${H}" ] || fail "screenshot $n has the wrong size"
    [ "$(help_rows "$shot")" = 15 ] || fail "screenshot $n lacks the help rows"
    [ "$(region_hash "$shot" 8 $((H - 85)) 300 30)" = "$(region_hash "$E2E_TMP/screen.png" 8 $((H - 85)) 300 30)" ] ||
        fail "screenshot $n does not show the options value as the screen does"
done
pass "F2 twice writes Geovista_001.tga and Geovista_002.tga with the overlays"

# --- F8 glides to "Orbit 2": the orbits stand still, so the earth keeps its
# size until F8, then shrinks from 560 to 1000 units away over ten seconds,
# through sizes between the two.
radius() { pixels radius "$1"; }
grab "$E2E_TMP/orbit1.png"
r0=$(radius "$E2E_TMP/orbit1.png") || fail "no earth in the middle"
grab "$E2E_TMP/orbit1b.png"
r1=$(radius "$E2E_TMP/orbit1b.png") || fail "no earth in the middle"
awk "BEGIN { d = $r1 - $r0; exit !(d < 0.5 && d > -0.5) }" ||
    fail "the earth's size changes without F8 ($r0, then $r1 pixels)"
near=$(pixels radius_at 560)
far=$(pixels radius_at 1000)
awk "BEGIN { d = $r0 - $near; exit !(d < 3 && d > -3) }" ||
    fail "the earth's radius is $r0 pixels, not $near (560 units away)"
xdotool key F8
between=""
n=0
start=$(date +%s%N)
while :; do
    [ $(($(date +%s%N) - start)) -lt 40000000000 ] || fail "the glide did not end 40 s after F8"
    grab "$E2E_TMP/glide_$n.png"
    r=$(radius "$E2E_TMP/glide_$n.png") || fail "shot $n: no earth in the middle"
    echo "shot $n: radius $r"
    if awk "BEGIN { exit !($r < $near - 8 && $r > $far + 8) }"; then
        [ -n "$between" ] || between=$n
    fi
    awk "BEGIN { d = $r - $far; exit !(d < 2 && d > -2) }" && break
    n=$((n + 1))
done
[ -n "$between" ] || fail "the view jumped to Orbit 2 instead of gliding"
# "CAMERA SELECTED" / "Orbit 2" in the title's and sub-title's colours at
# their places (the widths from the main font, see planet_pixels.py).
pixels message "$E2E_TMP/glide_$between.png" 277 22 17 99 18 14 ||
    fail "no CAMERA SELECTED / Orbit 2 message in its colours and places"
pass "F8 glides to the next camera (shot $between of $n on the way)"

# --- Escape three times: options, help, quit.
options_shown() {
    [ "$(lit_count "$1" 12 $((H - 105)) 60 16)" -gt 20 ]
}
xdotool key Escape
grab_until() { # grab_until IMAGE CHECK...: screenshots until the check holds
    local image=$1; shift
    for _ in $(seq 50); do
        grab "$image"
        "$@" && return 0
        sleep 0.1
    done
    return 1
}
grab_until "$E2E_TMP/esc1.png" eval '! options_shown "$E2E_TMP/esc1.png"' ||
    fail "the first Escape did not close the options"
kill -0 "$pid" || fail "the first Escape quit"
[ "$(help_rows "$E2E_TMP/esc1.png")" = 15 ] || fail "the first Escape closed the help panel"
xdotool key Escape
grab_until "$E2E_TMP/esc2.png" eval '[ "$(help_rows "$E2E_TMP/esc2.png")" = 0 ]' ||
    fail "the second Escape did not close the help panel"
kill -0 "$pid" || fail "the second Escape quit"
xdotool key Escape
wait_exit "$pid" 15 || fail "the third Escape did not quit"
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE"
cfg="$DATA/geovista.cfg"
[ "$(u32_at "$cfg" 0)" = 14 ] || fail "optionsSelection is $(u32_at "$cfg" 0), not 14"
[ "$(u32_at "$cfg" $((0x1EC)))" = 4 ] || fail "sunSize is $(u32_at "$cfg" $((0x1EC))), not 4"
[ "$(u32_at "$cfg" $((0x194)))" = 1 ] || fail "currentCamera is $(u32_at "$cfg" $((0x194))), not 1"
pass "the saved preferences hold the changed option, selection and camera"

# ------------------------------------------------------------------ -window-id
new_folders window_id
quiet_preferences
"$HOST_WINDOW" 320 200 white >"$E2E_TMP/host.id" &
hostpid=$!
wait_for 10 test -s "$E2E_TMP/host.id" || fail "no host window"
hostid=$(cat "$E2E_TMP/host.id")
before=$(checksums)
(cd "$RUN" && exec "$GEOVISTA" -window-id "$hostid") &
pid=$!
wait_for 20 log_has "System initialized." || fail "the -window-id run did not start"
# The white host window turns black where the globe draws.
preview_drawn() { [ "$(white_on_screen 10 10 300 180)" -lt 100 ]; }
wait_for 30 preview_drawn || fail "nothing was drawn into the host window"
globe_window >/dev/null && fail "the preview made a window of its own"
kill "$hostpid"
wait_exit "$pid" 15 || fail "the preview did not end with its host window"
[ "$EXIT_CODE" = 0 ] || fail "preview ended with $EXIT_CODE"
[ "$(checksums)" = "$before" ] || fail "the preview changed a data file"
pass "-window-id draws into a smaller window as the preview, saves nothing, ends with its host"

# ------------------------------------------------------------------ -root
new_folders root
quiet_preferences
"$HOST_WINDOW" $W $H white >"$E2E_TMP/host.id" &
hostpid=$!
wait_for 10 test -s "$E2E_TMP/host.id" || fail "no host window"
hostid=$(cat "$E2E_TMP/host.id")
(cd "$RUN" && XSCREENSAVER_WINDOW=$hostid exec "$GEOVISTA" -root) &
pid=$!
wait_for 20 log_has "System initialized." || fail "the -root run did not start"
saver_drawn() { [ "$(white_on_screen 400 200 400 300)" -lt 100 ]; }
wait_for 30 saver_drawn || fail "nothing was drawn into the saver window"
globe_window >/dev/null && fail "the saver made a window of its own"
xdotool mousemove $((W / 2)) $((H / 2))
xdotool windowfocus "$hostid" 2>/dev/null || true
# Frames go on after the move (the fade changes every one), and the saver
# with them: one move does not end it.
grab "$E2E_TMP/after_move.png"
frames_after_move() {
    grab "$E2E_TMP/later.png"
    pixels differ "$E2E_TMP/after_move.png" "$E2E_TMP/later.png" >/dev/null
}
wait_for 10 frames_after_move || fail "no frame drawn after the move"
kill -0 "$pid" || fail "the saver ended before any key"
xdotool key F9
wait_exit "$pid" 10 || fail "the first key did not end the conventional saver"
[ "$EXIT_CODE" = 0 ] || fail "saver ended with $EXIT_CODE"
[ "$(stat -c %s "$DATA/geovista.cfg")" = 1196 ] || fail "the saver did not save its preferences"
[ "$(u32_at "$DATA/geovista.cfg" $((0x1F0)))" = 0 ] || fail "F9 toggled the clouds before ending the saver"
kill "$hostpid"
pass "-root with XSCREENSAVER_WINDOW runs the conventional saver, ended by the first key"

echo "all input scenarios passed"
