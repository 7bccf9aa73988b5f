#!/usr/bin/env bash
# The sun view against XScreenSaver's glplanet (Debian's xscreensaver-gl-extra)
# at 1280 x 720 under Xvfb with Mesa's llvmpipe: the two programs in turns,
# ROUNDS rounds of SECONDS each, their frame rates from Mesa's HUD dump
# (GALLIUM_HUD=fps, not drawn on the picture), the first 3 seconds of each run
# left out. glplanet is a benchmark dependency only.
#   bench/sun_view_vs_glplanet.sh GEOVISTA [ROUNDS [SECONDS [FIELD=VALUE...]]]
# The sun view is planet_frame_bench's: every effect on, the smallest sun
# ("SUN SIZE" 1, which keeps the sun, its glow and the flares on the screen)
# and the largest flares; FIELD=VALUE settings (tests/e2e/planet_prefs.py's
# names) change it, e.g. sunSize=3 for the default sun.
# Prints each run's mean frame rate and, at the end, the ratio of the means.
GEOVISTA=$(realpath "$1")
ROUNDS=${2:-2}
SECONDS_EACH=${3:-20}
shift 3 2>/dev/null || shift $#
GLPLANET=/usr/libexec/xscreensaver/glplanet
HERE=$(cd "$(dirname "$0")" && pwd)
TESTS="${HERE}/../tests/e2e"
source "${TESTS}/lib.sh"
PY=/usr/bin/python3
[ -x "$GLPLANET" ] || fail "glplanet is not installed (apt-get install xscreensaver-gl-extra)"
start_xvfb 1280x720x24

# The mean of a HUD dump's samples (one a line, every half second), the
# first 3 seconds left out.
hud_mean() {
    "$PY" - "$1" <<'PYEOF'
import sys
values = [float(l.split()[-1]) for l in open(sys.argv[1]) if l.strip()]
values = values[6:] or values
print(f"{sum(values) / len(values):.1f}")
PYEOF
}

# run_for NAME COMMAND...: the command for SECONDS_EACH seconds with the HUD
# dumping into its own folder; prints the mean frame rate.
run_for() {
    local name=$1 dump="${E2E_TMP}/hud-$1" pid; shift
    rm -rf "$dump"; mkdir -p "$dump"
    GALLIUM_HUD=fps GALLIUM_HUD_VISIBLE=false GALLIUM_HUD_PERIOD=0.5 GALLIUM_HUD_DUMP_DIR="$dump" \
        "$@" >"${E2E_TMP}/${name}.out" 2>&1 &
    pid=$!
    sleep "$SECONDS_EACH"
    kill -TERM "$pid" 2>/dev/null || true
    wait_exit "$pid" 20 || { kill -KILL "$pid" 2>/dev/null || true; }
    [ -s "${dump}/fps" ] || fail "$name: no HUD dump (see ${E2E_TMP}/${name}.out)"
    hud_mean "${dump}/fps"
}

# The sun view (glare, glow, wash, seven flares), windowed at the screen's
# size.
new_folders sunview
"$PY" "${TESTS}/planet_prefs.py" "${DATA}/geovista.cfg" currentCamera=4 cameraChangingAutomatic=0 \
    sunSize=1 lensFlareSize=5 "$@"

load_before=$(cut -d' ' -f1-3 /proc/loadavg)
ours=() theirs=()
for round in $(seq "$ROUNDS"); do
    g=$(cd "$RUN" && run_for geovista "$GEOVISTA")
    p=$(run_for glplanet "$GLPLANET" --window --geometry 1280x720+0+0 --delay 0 --mode globe --stars)
    echo "round $round: sun view $g fps, glplanet $p fps"
    ours+=("$g") theirs+=("$p")
done
load_after=$(cut -d' ' -f1-3 /proc/loadavg)
"$PY" - "${ours[*]}" "${theirs[*]}" "$load_before" "$load_after" <<'PYEOF'
import sys
ours = [float(v) for v in sys.argv[1].split()]
theirs = [float(v) for v in sys.argv[2].split()]
a, b = sum(ours) / len(ours), sum(theirs) / len(theirs)
print(f"mean: sun view {a:.1f} fps, glplanet {b:.1f} fps, ratio {a / b:.2f} "
      f"(load average {sys.argv[3]} before, {sys.argv[4]} after)")
PYEOF
