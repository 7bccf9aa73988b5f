#!/usr/bin/env bash
# Cloud updates end to end: the globe under a real X server fetching from the
# test cloud-map service on a loopback port, one group of scenarios per run.
# What shows on screen is read from screenshots; the requests from the
# service's records; the files from the program folder.
#   cloud_updates.sh GEOVISTA SCENARIO
GEOVISTA=$1
SCENARIO=$2
source "$(cd "$(dirname "$0")" && pwd)/cloud_lib.sh"

# A misbehaving service: FAILED, the earlier files kept (the page too when
# KEPT is "page"), the globe still drawing.
failing_run() { # failing_run NAME MODE ON KEPT REQUESTS LOGTEXT
    local name=$1 mode=$2 on=$3 kept=$4 count=$5 text=$6
    echo "- $name"
    start_service "$mode" "$on"
    run_globe "$name" 1 "127.0.0.1:${PORT}" old $STILL_VIEW
    wait_outcome 90 FAILED
    expect_requests "$count"
    expect_request 1 "$DEFAULT_PATH" "127.0.0.1:${PORT}"
    expect_old_files "$kept"
    expect_log "$text"
    expect_kept_after_failure "$name"
}

# A whole update with no earlier one: exactly two requests, byte for byte;
# the served map kept as clouds.sat and the cache rebuilt; UPDATED; clouds on
# the globe (F9 takes them away again). The user view stands still over the
# central Mediterranean (34.4 N, 17.2 E), in daylight at noon, under the
# northern band of the served map.
good_run() { # good_run NAME MODE [4|6]
    local name=$1 mode=$2 family=${3:-4} host
    echo "- $name"
    start_service "$mode" both "$family"
    if [ "$family" = 6 ]; then host="[::1]:${PORT}"; else host="127.0.0.1:${PORT}"; fi
    run_globe "$name" 1 "$host" $STILL_VIEW
    wait_outcome 90 UPDATED
    expect_requests 2
    expect_request 1 "$DEFAULT_PATH" "$host"
    expect_request 2 "$IMAGE_PATH" "$host"
    cmp "$IMAGES/served.gif" "${DATA}/clouds.sat" || fail "clouds.sat is not the served map"
    grep -qF "$IMAGE_PATH" "${DATA}/clouds.tmp" || fail "clouds.tmp is not the service's page"
    expect_new_clouds
    expect_no_leftovers
    [ "$(log_after ": $(stat -c %s "$IMAGES/served.gif") bytes")" -le 5 ] ||
        fail "the image took too long"
    stop_globe
    stop_service
}

case "$SCENARIO" in
fastclock)
    # "EXTRA TIME ADVANCING" at 60 s a frame: the simulated clock passes the
    # hour between updates every second or so, but the schedule keeps to the
    # machine's clock. Over 40 s: one update, the page and the image asked
    # for once each, UPDATED once and nothing after it.
    echo "- extra time 60 s a frame for 40 s"
    start_service ok
    run_globe fastclock 1 "127.0.0.1:${PORT}" $STILL_VIEW extraSeconds=60 cloudUpdateInterval=3600
    seen=""
    shots=0
    import -window root "${GV_HOME}/first.png"
    while holds "$(now) - $T0 < 40"; do
        import -window root "${GV_HOME}/shot.png"
        shots=$((shots + 1))
        case "$(pixels outcome "${GV_HOME}/shot.png")" in
        UPDATING) [ -z "$seen" ] || [ "$seen" = UPDATING ] || fail "a new update after $seen" ;;
        UPDATED) seen=UPDATED ;;
        FAILED) fail "FAILED shown" ;;
        *) [ -z "$seen" ] || fail "the update's message went away" ;;
        esac
        [ "$seen" != UPDATED ] || [ -n "${UPDATED_AT:-}" ] || UPDATED_AT=$(calc "$(now) - $T0")
    done
    [ "$seen" = UPDATED ] || fail "UPDATED never shown"
    echo "  UPDATED from $UPDATED_AT s on, in $shots shots over 40 s"
    # The simulated clock did run ahead: the sunlight moved over the globe.
    pixels moving "${GV_HOME}/first.png" "${GV_HOME}/shot.png" >/dev/null ||
        fail "the simulated clock did not run ahead"
    expect_requests 2
    expect_request 1 "$DEFAULT_PATH" "127.0.0.1:${PORT}"
    expect_request 2 "$IMAGE_PATH" "127.0.0.1:${PORT}"
    cmp "$IMAGES/served.gif" "${DATA}/clouds.sat" || fail "clouds.sat is not the served map"
    [ "$(grep -c -F "HTTP GET " "${RUN}/geovista.log")" = 2 ] || fail "not two downloads in the log"
    expect_no_leftovers
    stop_globe
    stop_service
    # The start of the update is kept as the machine's time of it (the
    # globe's clocks started at 12:00:00 on 20 March 2026), not the
    # simulated one.
    "$PY" - "${DATA}/geovista.cfg" <<'PY' || fail "the last update's start is not the real time"
import struct, sys
sec, minute, hour, day, month, year = struct.unpack_from("<6i", open(sys.argv[1], "rb").read(), 0x458)
print(f"  last update started {1900 + year}-{month + 1:02}-{day:02} {hour:02}:{minute:02}:{sec:02}")
sys.exit((year, month, day, hour, minute) != (126, 2, 20, 12, 0))
PY
    pass "with time running 60 s a frame, one update fetches the page and the map once"
    ;;
update)
    good_run update ok
    pass "an update fetches the page and the map, keeps the map and shows its clouds"
    ;;
ipv6)
    good_run ipv6 ok 6
    pass "an update over IPv6"
    ;;
framing)
    # A header in small pieces, chunked bodies, and a server that keeps the
    # connection open after a framed body (which must not hold the download).
    good_run bigheader bigheader
    good_run chunked chunked
    good_run keepopen keepopen
    pass "long headers, chunked bodies and kept connections all update"
    ;;
bad_page)
    failing_run status404 status404 page page 1 "failed: status 404"
    failing_run status500 status500 page page 1 "failed: status 500"
    failing_run closeearly closeearly page page 1 "failed: connection closed before any response"
    failing_run hugeheader hugeheader page page 1 "failed: response header over 64 KiB"
    failing_run nopath nopath page image 1 "Cloud update: the server's page names no cloud image"
    pass "error statuses, an early close, a huge header and a page naming no image end FAILED"
    ;;
bad_image)
    failing_run reset reset image image 2 "failed: connection"
    failing_run shortbody shortbody image image 2 \
        "failed: connection closed before the end of the response"
    failing_run badchunk badchunk image image 2 "failed: malformed chunk size"
    failing_run badimage badimage image image 2 "Cloud update: the new clouds.sat cannot be used"
    pass "a reset, a short body, a bad chunk and an undecodable map end FAILED with the old files kept"
    ;;
unreachable)
    # Known at once: no wait for the minute without an answer.
    closed=$("$PY" -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
    for host in no-such-host.invalid "127.0.0.1:${closed}"; do
        echo "- $host"
        run_globe "unreachable${closed}${#host}" 1 "$host" old $STILL_VIEW
        wait_outcome 90 FAILED
        after=$(log_after "failed: ")
        [ "$after" -le 3 ] || fail "the failure came $after s after the start, not at once"
        expect_old_files page
        expect_old_clouds
        stop_globe
    done
    pass "an unknown name and a refused connection end FAILED at once"
    ;;
stall)
    # The clocks ten times as fast: a minute without data passes in six seconds.
    start_service stall image
    run_globe stall 10 "127.0.0.1:${PORT}" old
    wait_for 20 test -e "${RECORD}/request-2.bin" || fail "the image was not asked for"
    import -window root "${GV_HOME}/a.png"
    shots_until 10 "${GV_HOME}/b.png" moving "${GV_HOME}/a.png" "${GV_HOME}/b.png" ||
        fail "the picture stopped during the download"
    [ "$(pixels outcome "${GV_HOME}/b.png")" = UPDATING ] || fail "UPDATING... is not shown during the stall"
    wait_outcome 90 FAILED
    # A minute of the program's clock after the last data, which came with
    # the image's start right after the page; a frame under load may take a
    # few of those seconds.
    after=$(log_after "failed: no data for too long" "$PAGE_DONE")
    [ "$after" -ge 60 ] && [ "$after" -le 90 ] || fail "the stall failed after $after s, not 60"
    expect_requests 2
    expect_old_files
    stop_globe
    stop_service

    echo "- Escape in the middle of the download"
    start_service stall image
    run_globe escape 1 "127.0.0.1:${PORT}" old
    wait_for 20 test -e "${RECORD}/request-2.bin" || fail "the image was not asked for"
    before=$(now)
    xdotool key --window "$(globe_window)" Escape
    wait_exit "$GLOBE" 5 || fail "Escape did not end the globe during the download"
    [ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE"
    echo "  ended $(calc "$(now) - $before") s after Escape"
    expect_old_files
    expect_log "Exiting."
    stop_service
    pass "a stalled download fails after the time limit while frames go on; Escape ends it at once"
    ;;
drip)
    # A byte every second keeps the minute without data from passing, but not
    # the ten minutes a download may take: 15 s at forty times the speed.
    start_service drip image
    run_globe drip 40 "127.0.0.1:${PORT}" old
    wait_outcome 120 FAILED
    # Counted from the image's start, right after the page.
    after=$(log_after "failed: the download took too long" "$PAGE_DONE")
    [ "$after" -ge 600 ] && [ "$after" -le 680 ] || fail "the drip failed after $after s, not 600"
    expect_requests 2
    expect_old_files
    stop_globe
    stop_service
    pass "a download dripping a byte a second fails at the limit of its whole time"
    ;;
*)
    fail "unknown scenario $SCENARIO"
    ;;
esac
