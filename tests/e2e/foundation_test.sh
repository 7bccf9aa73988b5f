#!/usr/bin/env bash
# The globe's life from start to end under a real X server: start-up report,
# quitting by Escape and by SIGTERM, one instance at a time, the preview, and a
# current folder without a log.
GEOVISTA=$1
source "$(dirname "$0")/lib.sh"
start_xvfb

expect_full_log() {
    local log="${RUN}/geovista.log"
    grep -q -- '------\[ LOG geovista.log STARTED AT ' "$log" || fail "no header"
    [ "$(grep -c 'STARTED AT' "$log")" = 1 ] || fail "more than one header"
    expect_run_report "$log"
    # Each step's label and result are two writes, each with its stamp.
    grep -q '^\[[0-9][0-9]:[0-9][0-9]:[0-9][0-9]\] Creating application window \.* \[[0-9:]*\] \[ PASSED \]$' "$log" \
        || fail "window step not passed with two stamps"
    [ "$(stat -c %s "${DATA}/geovista.cfg")" = 1196 ] || fail "geovista.cfg is not 1196 bytes"
}

# --- Escape ends an application run and saves the preferences.
new_folders escape
windowed_preferences
(cd "$RUN" && exec "$GEOVISTA") &
pid=$!
wait_for 20 log_has "System initialized." || fail "start-up did not finish"
wait_for 10 globe_window || fail "no visible window"
win=$(globe_window)
xdotool windowfocus --sync "$win" 2>/dev/null || true
xdotool key --clearmodifiers Escape
wait_exit "$pid" 15 || fail "Escape did not end the run"
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE after Escape"
expect_full_log
pass "Escape quits, the log is complete and geovista.cfg holds 1196 bytes"

# --- SIGTERM (how screen-saver hosts stop a saver) ends the run through shut-down.
new_folders sigterm
windowed_preferences
(cd "$RUN" && exec "$GEOVISTA") &
pid=$!
wait_for 20 log_has "System initialized." || fail "start-up did not finish"
kill -TERM "$pid"
wait_exit "$pid" 15 || fail "SIGTERM did not end the run"
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE after SIGTERM"
expect_full_log
pass "SIGTERM quits through shut-down"

# --- A second start while one runs ends with 0 and touches no file but the log.
new_folders second
windowed_preferences
printf 'x%.0s' $(seq 52) >"${DATA}/geovista.loc"
printf '\0\0\0\0' >"${DATA}/geovista.sel"
(cd "$RUN" && exec "$GEOVISTA") &
first=$!
wait_for 20 log_has "System initialized." || fail "first start-up did not finish"
before=$(checksums)
(cd "$RUN" && exec "$GEOVISTA") &
second=$!
wait_exit "$second" 10 || fail "the second start did not end"
[ "$EXIT_CODE" = 0 ] || fail "second start ended with $EXIT_CODE"
[ "$(checksums)" = "$before" ] || fail "the second start changed a data file"
log_has "GEOVISTA Firing Up" || fail "second start did not write its log"
! log_has "System initialized." || fail "the log was not emptied by the second start"
kill -0 "$first" || fail "the first instance died"
kill -TERM "$first"
wait_exit "$first" 15 || fail "first instance did not end"
pass "a second start ends with 0 and leaves the files alone"

# --- The preview draws into the host's window and saves nothing.
new_folders preview
windowed_preferences
xmessage -geometry 200x150+10+10 -name gvhost "preview host" &
host=$!
wait_for 10 xdotool search --name gvhost || fail "no preview host window"
hostid=$(xdotool search --name gvhost | head -n1)
before=$(checksums)
(cd "$RUN" && exec "$GEOVISTA" /p "$hostid") &
pid=$!
wait_for 20 log_has "System initialized." || fail "preview start-up did not finish"
kill -TERM "$pid"
wait_exit "$pid" 15 || fail "preview did not end"
[ "$EXIT_CODE" = 0 ] || fail "preview ended with $EXIT_CODE"
[ "$(checksums)" = "$before" ] || fail "the preview changed a data file"
kill "$host" 2>/dev/null || true
pass "preview leaves every file untouched"

# --- A current folder that cannot hold a log: the program runs all the same.
new_folders nolog
windowed_preferences
(cd /proc && exec "$GEOVISTA") &
pid=$!
wait_for 60 globe_window || fail "no window without a log"
sleep 0.5
kill -TERM "$pid"
wait_exit "$pid" 15 || fail "run without a log did not end"
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE without a log"
[ "$(stat -c %s "${DATA}/geovista.cfg")" = 1196 ] || fail "preferences not saved without a log"
pass "runs without a log"

# --- Configure mode starts the settings editor from the program folder and ends.
new_folders configure
cat >"${DATA}/GeovistaC" <<EDITOR
#!/bin/sh
echo started >"${DATA}/editor-started"
EDITOR
chmod +x "${DATA}/GeovistaC"
(cd "$RUN" && exec "$GEOVISTA" /c) &
pid=$!
wait_exit "$pid" 10 || fail "configure mode did not end"
[ "$EXIT_CODE" = 0 ] || fail "configure mode ended with $EXIT_CODE"
wait_for 10 test -f "${DATA}/editor-started" || fail "the editor was not started"
[ ! -e "${DATA}/geovista.cfg" ] || fail "configure mode wrote preferences"
! log_has "Creating application window" || fail "configure mode started the globe"
pass "configure mode starts the editor and ends with 0"

# --- Without an editor to start (as on Windows), configure mode runs the globe
# in a window with the options overlay open: the first Escape closes it, the
# second ends the run, which saves the settings.
new_folders configure-no-editor
(cd "$RUN" && exec "$GEOVISTA" /c) &
pid=$!
wait_for 20 log_has "System initialized." || fail "configure mode without an editor did not start the globe"
log_has "Cannot start the settings editor ${DATA}/GeovistaC: the options open in a window" ||
    fail "the log does not say that the options open in a window"
wait_for 10 globe_window || fail "no visible window"
win=$(globe_window)
xdotool windowfocus --sync "$win" 2>/dev/null || true
key() { xdotool key --clearmodifiers "$1"; }
overlay_shots key "$RUN"
kill -0 "$pid" || fail "the first Escape ended the run: no overlay was open"
/usr/bin/python3 "$(dirname "$0")/saver_pixels.py" overlay "$WITH_OVERLAY" "$WITHOUT_OVERLAY" ||
    fail "the options overlay stayed after Escape"
xdotool key --clearmodifiers Escape
wait_exit "$pid" 15 || fail "the second Escape did not end the run"
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE"
[ "$(stat -c %s "${DATA}/geovista.cfg")" = 1196 ] || fail "the settings were not saved"
pass "configure mode without an editor opens the options overlay in a window; Escape closes it, then ends the run"

# --- A failed start writes one line on standard error naming the failed step
# and the log, and ends with -1: without a display (SDL's display-less
# fallback drivers do not count as one), on X without an X server, and with a
# screen mode the display does not have (Xvfb offers one).
failed_start() { # failed_start NAME STEP COMMAND...
    local name=$1 step=$2; shift 2
    set +e
    (cd "$RUN" && exec "$@") 2>"${E2E_TMP}/${name}.err"
    local rc=$?
    set -e
    [ "$rc" = 255 ] || fail "$name: exit code $rc, not -1"
    local expected
    expected="Geovista: start-up failed at \"${step}\"; see $(cd "$RUN" && pwd -P)/geovista.log"
    [ "$(cat "${E2E_TMP}/${name}.err")" = "$expected" ] \
        || fail "$name: standard error holds '$(cat "${E2E_TMP}/${name}.err")', not '$expected'"
    log_has "Cannot continue. Exiting." || fail "$name: the log does not end the run"
}
new_folders nodisplay
windowed_preferences
failed_start nodisplay "Creating application window" \
    env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER timeout 60 "$GEOVISTA"
log_has "Creating application window ............................ " || fail "no window step"
new_folders noxserver
windowed_preferences
failed_start noxserver "Creating application window" \
    env DISPLAY=:65535 SDL_VIDEODRIVER=x11 timeout 60 "$GEOVISTA"
new_folders nomode
printf '\0\0\0\0\0\0\0\0\0\0\7\0' >"${DATA}/geovista.cfg"
failed_start nomode "Creating device object" timeout 60 "$GEOVISTA"
log_has "[ FAILED: cannot select screen mode 7 ]" || fail "the mode's failure is not in the log"
pass "a failed start names its step and the log on standard error"

echo "all foundation scenarios passed"
