#!/usr/bin/env bash
# The globe's engine start-up under a real X server: the display device, the
# 3D object and renderer and the console pass for real, windowed and full
# screen; a screen mode outside the list ends the start-up.
GEOVISTA=$1
source "$(dirname "$0")/lib.sh"
start_xvfb

# 12-byte preferences: options entry, full screen flag, device 0, mode index.
preferences() { # preferences FULLSCREEN MODE
    printf "\\x00\\x00\\x00\\x00\\x$(printf %02x "$1")\\x00\\x00\\x00\\x00\\x00\\x$(printf %02x "$2")\\x00" \
        >"${DATA}/geovista.cfg"
}

expect_engine_steps() {
    local log="${RUN}/geovista.log"
    for text in "Creating device object ................................. \[[0-9:]*\] \[ PASSED \]" \
        "Creating 3D object ..................................... \[[0-9:]*\] \[ PASSED \]" \
        "Creating 3D renderer ................................... \[[0-9:]*\] \[ PASSED - SW device selected \]" \
        "Creating system console ................................ \[[0-9:]*\] \[ PASSED \]"; do
        grep -q -- "$text" "$log" || fail "log lacks '$text'"
    done
}

run_and_stop() {
    (cd "$RUN" && exec "$GEOVISTA") &
    pid=$!
    wait_for 20 log_has "System initialized." || fail "start-up did not finish"
    wait_for 10 globe_window || fail "no visible window"
    geometry=$(xdotool getwindowgeometry "$(globe_window)")
    sleep 1
    kill -TERM "$pid"
    wait_exit "$pid" 15 || fail "SIGTERM did not end the run"
    [ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE"
    log_has "Exiting." || fail "no clean end"
}

new_folders windowed
preferences 0 0
run_and_stop
expect_engine_steps
grep -q "Geometry: 1280x720" <<<"$geometry" || fail "window is not the desktop size: $geometry"
pass "windowed at the desktop size: device, 3D object, SW renderer and console pass"

new_folders fullscreen
preferences 1 1
run_and_stop
expect_engine_steps
grep -q "Geometry: 1280x720" <<<"$geometry" || fail "full screen does not cover the screen: $geometry"
pass "full screen with mode 1"

new_folders badmode
preferences 0 7
(cd "$RUN" && exec "$GEOVISTA") &
pid=$!
wait_exit "$pid" 20 || fail "a bad mode did not end the run"
[ "$EXIT_CODE" = 255 ] || fail "exit code $EXIT_CODE for a failed start-up"
grep -q "Creating device object ................................. \[[0-9:]*\] \[ FAILED: cannot select screen mode 7 \]" \
    "${RUN}/geovista.log" || fail "no mode failure in the log"
log_has "Cannot continue. Exiting." || fail "no failed-start-up end"
pass "a screen mode outside the list fails the device step"
