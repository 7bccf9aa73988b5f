#!/usr/bin/env bash
# Cloud updates end to end: the globe under a real X server fetching from the
# test cloud-map service on a loopback port, one group of scenarios per run.
# What shows on screen is read from screenshots; the requests from the
# service's records; the files from the program folder.
#   cloud_updates.sh GEOVISTA SCENARIO
GEOVISTA=$1
SCENARIO=$2
HERE=$(cd "$(dirname "$0")" && pwd)
source "${HERE}/lib.sh"
PY=/usr/bin/python3
export TZ=UTC
start_xvfb 1280x720x24

FAKETIME_LIB=$(ls /usr/lib/*/faketime/libfaketime.so.1 | head -n1)
[ -n "$FAKETIME_LIB" ] || fail "libfaketime is not installed"
calc() { awk "BEGIN { printf \"%.3f\", $* }"; }
holds() { awk "BEGIN { exit !($*) }"; }
now() { date +%s.%N; }
pixels() { "$PY" "${HERE}/cloud_pixels.py" "$@"; }

DEFAULT_PATH="/cgi-bin/uncgi/Earth/action?opt=-p&img=wx-cmap.bmp&daynight=-d"
IMAGE_PATH="/earthview/cache/20260621-120000-wx.gif"
# The log line of the page's download.
PAGE_DONE="${DEFAULT_PATH}: "
IMAGES="${E2E_TMP}/images"
mkdir -p "$IMAGES"
# The served map: two white cloud bands over clear sky. The map already in
# the program folder before an update: one grey band.
convert -size 512x256 xc:black -fill white -draw "rectangle 0,40 511,100" \
    -draw "rectangle 0,150 511,200" -interlace none GIF:"$IMAGES/served.gif"
convert -size 512x256 xc:black -fill '#C6C3C6' -draw "rectangle 0,110 511,140" \
    -interlace none GIF:"$IMAGES/old.gif"
printf 'an earlier page\n' >"$IMAGES/old.tmp"

SERVICES=0
SERVICE_PID=""
# start_service MODE [page|image|both] [4|6]: the service in its own record
# folder; PORT is where it listens.
start_service() {
    local mode=$1 on=${2:-both} family=${3:-4}
    SERVICES=$((SERVICES + 1))
    RECORD="${E2E_TMP}/record-${SERVICES}"
    "$PY" "${HERE}/cloud_service.py" --image "$IMAGES/served.gif" --record "$RECORD" \
        --port-file "${RECORD}.port" --family "$family" --mode "$mode" --on "$on" \
        >"${RECORD}.log" 2>&1 &
    SERVICE_PID=$!
    wait_for 10 test -s "${RECORD}.port" || fail "the cloud service did not start"
    PORT=$(cat "${RECORD}.port")
}
stop_service() {
    [ -n "$SERVICE_PID" ] && kill "$SERVICE_PID" 2>/dev/null
    wait "$SERVICE_PID" 2>/dev/null || true
    SERVICE_PID=""
}

# run_globe NAME SPEED HOST [old] FIELD=VALUE...: a fresh program folder (with
# the earlier map and page when "old" is given), satellite clouds on and never
# updated, messages shown for ten minutes, a camera that keeps orbiting; the
# globe's clocks start at a fixed instant and run SPEED times as fast. T0 is
# when its frames begin.
run_globe() {
    local name=$1 speed=$2 host=$3
    shift 3
    new_folders "$name"
    if [ "${1:-}" = old ]; then
        cp "$IMAGES/old.gif" "${DATA}/clouds.sat"
        cp "$IMAGES/old.tmp" "${DATA}/clouds.tmp"
    fi
    local old=""
    if [ "${1:-}" = old ]; then
        old=1
        shift
    fi
    "$PY" "${HERE}/cloud_prefs.py" "${DATA}/geovista.cfg" "cloudServerHost=${host}" \
        cloudsFromSatellites=1 messageTime=600000 cameraChangingAutomatic=0 sunShown=0 \
        lensFlares=0 moonShown=0 starsShown=0 "$@"
    # Noon at an equinox.
    local when="@2026-03-20 12:00:00"
    [ "$speed" = 1 ] || when="${when} x${speed}"
    (cd "$RUN" && LD_PRELOAD="$FAKETIME_LIB" FAKETIME="$when" exec "$GEOVISTA") &
    GLOBE=$!
    wait_for 30 log_has "System initialized." || fail "$name: start-up did not finish"
    T0=$(now)
    if [ -n "$old" ]; then
        # The earlier clouds, built from the earlier map at start-up.
        grep -q "Creating earth clouds .* PASSED" "${RUN}/geovista.log" ||
            fail "$name: the earlier clouds were not built"
        OLD_CACHE=$(md5sum <"${DATA}/clouds.tga")
    fi
    wait_for 30 globe_window || fail "$name: no visible window"
}
stop_globe() {
    kill -0 "$GLOBE" 2>/dev/null || fail "the globe ended by itself"
    kill -TERM "$GLOBE"
    wait_exit "$GLOBE" 20 || fail "the globe did not end"
    [ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE"
}

# wait_outcome LIMIT EXPECTED: screenshots until the update's message ends in
# UPDATED or FAILED, which must be EXPECTED, within LIMIT seconds of T0.
# OUTCOME_AT is when it was seen; the shot is kept as OUTCOME_SHOT.
wait_outcome() {
    local limit=$1 expected=$2 seen
    OUTCOME_SHOT="${GV_HOME}/outcome.png"
    while :; do
        import -window root "$OUTCOME_SHOT"
        seen=$(pixels outcome "$OUTCOME_SHOT")
        [ -n "${CLOUD_E2E_DEBUG:-}" ] && echo "  $(calc "$(now) - $T0") s: $seen"
        case "$seen" in UPDATED | FAILED) break ;; esac
        holds "$(now) - $T0 < $limit" || fail "no outcome within $limit s (last: $seen)"
        sleep 0.2
    done
    OUTCOME_AT=$(calc "$(now) - $T0")
    [ "$seen" = "$expected" ] || fail "$seen shown, not $expected"
    holds "$OUTCOME_AT < $limit" || fail "$expected shown only after $OUTCOME_AT s"
    echo "  $expected shown $OUTCOME_AT s after the first frame"
}

requests() { find "$RECORD" -name 'request-*.bin' | wc -l; }
# expect_request N PATH HOST: the request's bytes, exactly.
expect_request() {
    printf 'GET %s HTTP/1.1\r\nUser-Agent: QuorvaneA1\r\nHost: %s\r\nConnection: close\r\n\r\n' \
        "$2" "$3" >"${RECORD}/expected-$1"
    cmp "${RECORD}/expected-$1" "${RECORD}/request-$1.bin" ||
        fail "request $1 is not byte for byte the expected one"
}
expect_requests() {
    sleep 0.5 # a request after the outcome would show by now
    [ "$(requests)" = "$1" ] || fail "$(requests) requests, not $1"
}
# The program folder holds no half-made file.
expect_no_leftovers() {
    local left
    left=$(find "$DATA" -name '*.part' -o -name '*.new' -o -name '*.old')
    [ -z "$left" ] || fail "left behind: $left"
}
expect_old_files() { # [page]: clouds.tmp too
    cmp "$IMAGES/old.gif" "${DATA}/clouds.sat" || fail "clouds.sat changed"
    [ "$(md5sum <"${DATA}/clouds.tga")" = "$OLD_CACHE" ] || fail "clouds.tga changed"
    [ "${1:-}" != page ] || cmp "$IMAGES/old.tmp" "${DATA}/clouds.tmp" || fail "clouds.tmp changed"
    expect_no_leftovers
}
expect_log() { log_has "$1" || fail "the log does not say '$1'"; }
# The earlier clouds still on the globe in the still view, the served ones
# not: shots with and without them (F9 hides them).
expect_old_clouds() {
    import -window root "${GV_HOME}/with.png"
    xdotool key --window "$(globe_window)" F9
    sleep 1.5
    import -window root "${GV_HOME}/without.png"
    [ -z "${CLOUD_E2E_KEEP:-}" ] || cp "${GV_HOME}/with.png" "${GV_HOME}/without.png" "$CLOUD_E2E_KEEP"
    pixels kept "${GV_HOME}/with.png" "${GV_HOME}/without.png" || fail "the earlier clouds are not kept"
}
STILL_VIEW="currentCamera=6 userLatitude=0.6 userLongitude=0.3 cam6.distance=500"
# log_after TEXT [FROM]: seconds of the program's own clock from the first log
# line holding FROM ("System initialized." when not given) to the first
# holding TEXT (the stamps are whole seconds).
log_after() {
    local start end
    start=$(grep -F -m1 -- "${2:-System initialized.}" "${RUN}/geovista.log" | cut -c2-9)
    end=$(grep -F -m1 -- "$1" "${RUN}/geovista.log" | cut -c2-9)
    [ -n "$start" ] || fail "the log does not say '${2:-System initialized.}'"
    [ -n "$end" ] || fail "the log does not say '$1'"
    awk -v a="$start" -v b="$end" 'BEGIN { split(a, x, ":"); split(b, y, ":");
        d = (y[1] * 3600 + y[2] * 60 + y[3]) - (x[1] * 3600 + x[2] * 60 + x[3]);
        if (d < 0) d += 86400; print d }'
}

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
    sleep 1.2
    import -window root "${GV_HOME}/later.png"
    pixels ticking "$OUTCOME_SHOT" "${GV_HOME}/later.png" >/dev/null ||
        fail "$name: no new frames after the failure"
    expect_old_clouds
    stop_globe
    stop_service
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
    pixels cache "${DATA}/clouds.tga" || fail "clouds.tga was not rebuilt from the served map"
    expect_no_leftovers
    [ "$(log_after ": $(stat -c %s "$IMAGES/served.gif") bytes")" -le 5 ] ||
        fail "the image took too long"
    import -window root "${GV_HOME}/with.png"
    xdotool key --window "$(globe_window)" F9
    sleep 1.5
    import -window root "${GV_HOME}/without.png"
    [ -z "${CLOUD_E2E_KEEP:-}" ] || cp "${GV_HOME}/with.png" "${GV_HOME}/without.png" "$CLOUD_E2E_KEEP"
    pixels clouds "${GV_HOME}/with.png" "${GV_HOME}/without.png" || fail "no clouds on the globe"
    stop_globe
    stop_service
}

case "$SCENARIO" in
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
    sleep 1
    import -window root "${GV_HOME}/b.png"
    [ "$(pixels outcome "${GV_HOME}/b.png")" = UPDATING ] || fail "UPDATING... is not shown during the stall"
    pixels moving "${GV_HOME}/a.png" "${GV_HOME}/b.png" || fail "the picture stopped during the download"
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
    sleep 0.5
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
