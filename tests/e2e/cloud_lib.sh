# Helpers for the end-to-end cloud updates: the globe under a real X server
# fetching from the test cloud-map service on a loopback port. What shows on
# screen is read from screenshots; the requests from the service's records;
# the files from the program folder. Sourced by the scenario scripts, which
# set GEOVISTA first.
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
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
SERVICE_PIDS=()
# start_service MODE [page|image|both] [4|6] [OPTION...]: a service in its own
# record folder, the options passed on to it; PORT is where it listens and
# RECORD its record folder. Several may run at once.
start_service() {
    local mode=$1 on=${2:-both} family=${3:-4}
    shift $(($# < 3 ? $# : 3))
    SERVICES=$((SERVICES + 1))
    RECORD="${E2E_TMP}/record-${SERVICES}"
    "$PY" "${HERE}/cloud_service.py" --image "$IMAGES/served.gif" --record "$RECORD" \
        --port-file "${RECORD}.port" --family "$family" --mode "$mode" --on "$on" "$@" \
        >"${RECORD}.log" 2>&1 &
    SERVICE_PIDS+=($!)
    wait_for 10 test -s "${RECORD}.port" || fail "the cloud service did not start"
    PORT=$(cat "${RECORD}.port")
}
stop_service() { # every service started
    local pid
    for pid in "${SERVICE_PIDS[@]}"; do
        kill "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null || true
    done
    SERVICE_PIDS=()
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
    done
    OUTCOME_AT=$(calc "$(now) - $T0")
    [ "$seen" = "$expected" ] || fail "$seen shown, not $expected"
    holds "$OUTCOME_AT < $limit" || fail "$expected shown only after $OUTCOME_AT s"
    echo "  $expected shown $OUTCOME_AT s after the first frame"
}

requests() { find "$RECORD" -name 'request-*.bin' | wc -l; }
accepted() { cat "${RECORD}/accepted" 2>/dev/null || echo 0; }
heard() { cat "${RECORD}/heard" 2>/dev/null || echo 0; }
# Every connection the service took has had its request recorded, or ended
# without one (a request is recorded a moment after it arrives).
all_recorded() { [ "$(heard)" = "$(accepted)" ]; }
# expect_request N PATH HOST: the request's bytes, exactly.
expect_request() {
    printf 'GET %s HTTP/1.1\r\nUser-Agent: QuorvaneA1\r\nHost: %s\r\nConnection: close\r\n\r\n' \
        "$2" "$3" >"${RECORD}/expected-$1"
    cmp "${RECORD}/expected-$1" "${RECORD}/request-$1.bin" ||
        fail "request $1 is not byte for byte the expected one"
}
expect_requests() {
    wait_for 10 all_recorded || fail "$(accepted) connections, $(heard) of them heard"
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
# shots_until SECONDS SHOT CHECK ARG...: screenshots into SHOT until the
# pixel check CHECK ARG... passes (SHOT among its arguments), for at most
# SECONDS.
shots_until() {
    local limit=$1 shot=$2 start
    shift 2
    start=$(now)
    while :; do
        import -window root "$shot"
        pixels "$@" >/dev/null && return 0
        holds "$(now) - $start < $limit" || return 1
    done
}
# with.png and without.png: the still view with the clouds, then without
# them once F9 has taken them away (the first shot where the globe shows
# much less white).
shots_with_and_without_clouds() {
    import -window root "${GV_HOME}/with.png"
    xdotool key --window "$(globe_window)" F9
    shots_until 10 "${GV_HOME}/without.png" clouds "${GV_HOME}/with.png" "${GV_HOME}/without.png" ||
        fail "no clouds on the globe"
    [ -z "${CLOUD_E2E_KEEP:-}" ] || cp "${GV_HOME}/with.png" "${GV_HOME}/without.png" "$CLOUD_E2E_KEEP"
}
# The earlier clouds still on the globe in the still view, the served ones
# not: shots with and without them (F9 hides them).
expect_old_clouds() {
    shots_with_and_without_clouds
    pixels kept "${GV_HOME}/with.png" "${GV_HOME}/without.png" || fail "the earlier clouds are not kept"
}
# The served map's clouds: clouds.tga rebuilt from it (its alpha within
# TOLERANCE of the hand-worked values, for lossy pictures) and the clouds on
# the globe in the still view (F9 takes them away again).
expect_new_clouds() { # [TOLERANCE]
    pixels cache "${DATA}/clouds.tga" "${1:-0}" || fail "clouds.tga was not rebuilt from the served map"
    shots_with_and_without_clouds
}
# After a failure: frames still coming (the clock changes) and the earlier
# clouds on the globe; then the globe and the services are ended.
expect_kept_after_failure() { # NAME
    shots_until 10 "${GV_HOME}/later.png" ticking "$OUTCOME_SHOT" "${GV_HOME}/later.png" ||
        fail "$1: no new frames after the failure"
    expect_old_clouds
    stop_globe
    stop_service
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

