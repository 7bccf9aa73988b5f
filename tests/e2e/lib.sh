# Helpers for the end-to-end tests: a private X server, a private data folder,
# and waiting for the globe.
set -euo pipefail

E2E_TMP=$(mktemp -d /tmp/gv-e2e.XXXXXX)
XVFB_PID=""
cleanup() {
    local rc=$?
    if [ $rc -ne 0 ]; then
        echo "--- log of the failed run:"; cat "${RUN:-${E2E_TMP}/run}/geovista.log" 2>/dev/null || true
        echo "--- windows on ${DISPLAY:-}:"; xwininfo -root -tree 2>&1 | grep -v 'has no name' | head -20 || true

    fi
    # Stop whatever a failed scenario left running before its folders go.
    pkill -TERM -P $$ 2>/dev/null || true
    sleep 0.5
    pkill -KILL -P $$ 2>/dev/null || true
    [ -n "${XVFB_PID}" ] && kill "${XVFB_PID}" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "${E2E_TMP}"
    exit $rc
}
trap cleanup EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }
pass() { echo "ok: $*"; }

start_xvfb() { # start_xvfb [SIZE [MORE XVFB ARGUMENTS...]]
    local size=${1:-1280x720x24} n
    shift || true
    # Several tests start servers at once, and Xvfb's own choice of a free
    # display races: pick one ourselves and keep it only when the server that
    # holds its lock is ours.
    for n in $(shuf -i 100-999 -n 40); do
        [ -e "/tmp/.X${n}-lock" ] && continue
        # -noreset: with the default, the server resets when its last client
        # leaves, and a globe that connects during that reset loses its window.
        Xvfb ":${n}" -screen 0 "$size" "$@" -nolisten tcp -noreset >"${E2E_TMP}/xvfb.log" 2>&1 &
        XVFB_PID=$!
        for _ in $(seq 100); do
            [ -S "/tmp/.X11-unix/X${n}" ] && break
            kill -0 "$XVFB_PID" 2>/dev/null || break
            sleep 0.1
        done
        if kill -0 "$XVFB_PID" 2>/dev/null &&
            [ "$(tr -d ' ' <"/tmp/.X${n}-lock" 2>/dev/null)" = "$XVFB_PID" ]; then
            export DISPLAY=":${n}"
            return 0
        fi
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
        XVFB_PID=""
    done
    fail "no X server could be started"
}

# A fresh program folder (named by the registry value), runtime folder and
# current folder; each scenario gets its own.
new_folders() {
    local name=$1
    export GV_HOME="${E2E_TMP}/${name}"
    export DATA="${GV_HOME}/data" RUN="${GV_HOME}/run"
    export XDG_CONFIG_HOME="${GV_HOME}/config" XDG_RUNTIME_DIR="${GV_HOME}/runtime"
    mkdir -p "$DATA" "$RUN" "${XDG_CONFIG_HOME}/Quorvane" "$XDG_RUNTIME_DIR"
    chmod 700 "$XDG_RUNTIME_DIR"
    printf 'AppPath=%s/\n' "$DATA" >"${XDG_CONFIG_HOME}/Quorvane/Geovista3D.reg"
}

# A 12-byte preferences file: options entry 0, windowed, device 0, desktop size.
windowed_preferences() { head -c 12 /dev/zero >"${DATA}/geovista.cfg"; }

wait_for() { # wait_for SECONDS COMMAND...
    local limit=$1; shift
    for _ in $(seq $((limit * 10))); do
        if "$@" >/dev/null 2>&1; then return 0; fi
        sleep 0.1
    done
    return 1
}

log_has() { grep -qF -- "$1" "${RUN}/geovista.log"; }

globe_window() { xdotool search --onlyvisible --name "Quorvane Geovista 3D" | head -n1; }

wait_exit() { # wait_exit PID SECONDS -> sets EXIT_CODE
    local pid=$1 limit=$2
    for _ in $(seq $((limit * 10))); do
        if ! kill -0 "$pid" 2>/dev/null; then
            set +e; wait "$pid"; EXIT_CODE=$?; set -e
            return 0
        fi
        sleep 0.1
    done
    return 1
}

# The whole start-up and shut-down of an application run as the log tells
# it: every step's 57-character label with its result, in this order (the
# time stamps removed, the initialization time written N). The cloud layer
# has no cloud map yet, which is not fatal.
EXPECTED_RUN_REPORT='GEOVISTA Firing Up
Creating application window ............................ [ PASSED ]
Creating device object ................................. [ PASSED ]
Creating 3D object ..................................... [ PASSED ]
Creating 3D renderer ................................... [ PASSED - SW device selected ]
Creating system console ................................ [ PASSED ]
Creating planet earth .................................. [ PASSED ]
Creating earth clouds .................................. [ FAILED: non-fatal error ]
Creating sun ........................................... [ PASSED ]
Creating lens flares ................................... [ PASSED ]
Creating moon .......................................... [ PASSED ]
Creating city mesh ..................................... [ PASSED ]
Creating scene object .................................. [ PASSED ]
Creating cameras ....................................... [ PASSED ]
Creating scene illumination ............................ [ PASSED ]
Creating fonts ......................................... [ PASSED ]
Creating star field .................................... [ PASSED ]
Time spent on initialization ........................... [ N seconds ]
System initialized.
Shutting down the system ............................... [ PASSED ]
Exiting.'
run_report() { # run_report LOG: its labels with their results, one a line
    sed -E 's/\[[0-9]{2}:[0-9]{2}:[0-9]{2}\] //g; s/\[ [0-9]+\.[0-9]{2} seconds \]/[ N seconds ]/' "$1" |
        grep -E '^(GEOVISTA|Creating|Time spent|System initialized|Shutting|Exiting)'
}
expect_run_report() { # expect_run_report LOG
    if ! diff <(printf '%s\n' "$EXPECTED_RUN_REPORT") <(run_report "$1") >"${E2E_TMP}/report.diff"; then
        echo "--- expected (<) and logged (>) reports:"
        cat "${E2E_TMP}/report.diff"
        fail "the log's start-up and shut-down are not the expected steps in order"
    fi
}

checksums() { (cd "$DATA" && find . -type f -print0 | sort -z | xargs -0 -r md5sum); }

# overlay_shots PRESS FOLDER: the globe's screenshots (F2, sent by the command
# PRESS KEY) into FOLDER, one a second until one shows the options overlay
# (the curtain of the first ten seconds dims it), then Escape and one more.
# WITH_OVERLAY and WITHOUT_OVERLAY name the last two.
overlay_shots() {
    local press=$1 folder=$2 shots=0 shot
    while :; do
        shots=$((shots + 1))
        "$press" F2
        shot=$(printf '%s/Geovista_%03u.tga' "$folder" "$shots")
        wait_for 30 test -s "$shot" || fail "no screenshot $shot"
        /usr/bin/python3 "$(dirname "${BASH_SOURCE[0]}")/saver_pixels.py" shown "$shot" >/dev/null && break
        [ "$shots" -lt 30 ] || fail "the options overlay did not show in $shots screenshots"
        sleep 1
    done
    WITH_OVERLAY=$shot
    "$press" Escape
    "$press" F2
    WITHOUT_OVERLAY=$(printf '%s/Geovista_%03u.tga' "$folder" $((shots + 1)))
    wait_for 30 test -s "$WITHOUT_OVERLAY" || fail "no screenshot after Escape"
}
