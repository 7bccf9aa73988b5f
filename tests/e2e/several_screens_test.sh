#!/usr/bin/env bash
# The screen saver on two X screens, started by a real XScreenSaver (run as an
# unprivileged user: it refuses root) with "Geovista -root" as its only
# program. Activated, it starts one copy per screen, and each draws the globe
# on its own screen, checked by the pixels of both; "-exit" ends both, and
# only the copy that holds the single instance writes the settings.
#   several_screens_test.sh GEOVISTA
GEOVISTA=$1
HERE=$(cd "$(dirname "$0")" && pwd)
source "${HERE}/lib.sh"
command -v xscreensaver >/dev/null || fail "xscreensaver is not installed"
start_xvfb 800x600x24 -screen 1 800x600x24
SCREENS="${DISPLAY}.0 ${DISPLAY}.1"

# The saver's user owns everything it touches.
if [ "$(id -u)" = 0 ]; then
    SAVER_UID=65534
    AS_SAVER=(setpriv --reuid=65534 --regid=65534 --clear-groups)
else
    SAVER_UID=$(id -u)
    AS_SAVER=()
fi
chmod 755 "$E2E_TMP"
new_folders screens
cp "$GEOVISTA" "${GV_HOME}/Geovista"
# The first orbit at rest, 560 units out, in full ambient light and nothing
# else in the sky: a whole lit disc in the middle of each screen.
/usr/bin/python3 "${HERE}/planet_prefs.py" "${DATA}/geovista.cfg" currentCamera=0 \
    cam0.speed=0 cameraChangingAutomatic=0 ambientPercent=100 sunShown=0 lensFlares=0 \
    moonShown=0 starsShown=0 cloudsShown=0
touch "${E2E_TMP}/before-saver"
mkdir -p "${GV_HOME}/home"
cat >"${GV_HOME}/home/.xscreensaver" <<EOF
mode: one
selected: 0
lock: False
splash: False
fade: False
unfade: False
timeout: 1:00:00
programs: ${GV_HOME}/Geovista -root
EOF
[ "$SAVER_UID" = "$(id -u)" ] || chown -R "$SAVER_UID:$SAVER_UID" "$GV_HOME"
saver_env=(env HOME="${GV_HOME}/home" XDG_CONFIG_HOME="$XDG_CONFIG_HOME"
    XDG_RUNTIME_DIR="$XDG_RUNTIME_DIR" DISPLAY="$DISPLAY" PATH="$PATH")
command_saver() { "${AS_SAVER[@]}" "${saver_env[@]}" xscreensaver-command "$@"; }

(cd "$RUN" && exec "${AS_SAVER[@]}" "${saver_env[@]}" xscreensaver -no-splash) \
    >"${E2E_TMP}/xscreensaver.log" 2>&1 &
XSS=$!
wait_for 30 command_saver -time || fail "xscreensaver does not answer"
command_saver -activate >/dev/null || fail "xscreensaver-command -activate failed"

# The globe's copies: the programs named Geovista among xscreensaver's
# descendants.
descendants() {
    local child
    for child in $(ps -o pid= --ppid "$1"); do
        echo "$child"
        descendants "$child"
    done
}
copies() {
    local p
    for p in $(descendants "$XSS"); do
        [ "$(ps -o comm= -p "$p" 2>/dev/null)" = Geovista ] && echo "$p"
    done
    return 0
}
two_copies() { [ "$(copies | wc -l)" = 2 ]; }
wait_for 30 two_copies || fail "xscreensaver started $(copies | wc -l) copies, not 2"
COPIES=$(copies)
echo "copies: $(echo $COPIES)"

# globe_on SCREEN: the lit disc of the earth 560 units away in the middle of
# that screen: its radius from its area, 400 / tan(0.485) * 128 /
# sqrt(560^2 - 128^2) = 178 pixels at a field of view of 0.97 across 800.
globe_on() {
    import -display "$1" -window root "${E2E_TMP}/screen${1##*.}.png" &&
        /usr/bin/python3 - "${E2E_TMP}/screen${1##*.}.png" <<'PYEOF'
import math, sys
import numpy as np
from PIL import Image
img = np.asarray(Image.open(sys.argv[1]).convert("RGB"), dtype=np.int32)
assert img.shape[:2] == (600, 800), img.shape
lit = img.max(axis=2) > 40
ys, xs = np.nonzero(lit)
want = 400 / math.tan(0.485) * 128 / math.sqrt(560 ** 2 - 128 ** 2)
r = math.sqrt(len(xs) / math.pi)
cx, cy = (xs.mean(), ys.mean()) if len(xs) else (0, 0)
print(f"{sys.argv[1]}: disc at ({cx:.1f}, {cy:.1f}), radius {r:.1f} (want {want:.1f})")
sys.exit(0 if abs(r - want) < 0.04 * want and abs(cx - 399.5) < 4 and abs(cy - 299.5) < 4 else 1)
PYEOF
}
# Bounded by the clock: each look takes a while.
wait_until() { # wait_until SECONDS COMMAND...
    local end=$(($(date +%s) + $1))
    shift
    while [ "$(date +%s)" -lt "$end" ]; do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.2
    done
    return 1
}
for s in $SCREENS; do
    wait_until 60 globe_on "$s" || { globe_on "$s" || true; fail "no globe on screen $s"; }
    globe_on "$s"
done
pass "one copy per screen, each with the globe on its own screen"

command_saver -exit >/dev/null || fail "xscreensaver-command -exit failed"
gone() {
    local p
    for p in $COPIES; do kill -0 "$p" 2>/dev/null && return 1; done
    return 0
}
wait_for 20 gone || fail "the copies did not end with xscreensaver"
wait_exit "$XSS" 20 || fail "xscreensaver did not end"
# Both copies shut down to the end (their lines may interleave in the log
# they share); only the one holding the instance saved.
count() { grep -o -F -- "$1" "${RUN}/geovista.log" | wc -l; }
[ "$(count 'Exiting.')" = 2 ] || fail "not both copies shut down to the end"
grep -q FATAL "${RUN}/geovista.log" && fail "a copy failed to shut down"
[ "$(count 'Another copy of the globe saves the settings and places.')" = 1 ] ||
    fail "not exactly one copy left the files to the other"
[ -n "$(find "${DATA}/geovista.cfg" -newer "${E2E_TMP}/before-saver")" ] ||
    fail "no copy saved the settings"
[ "$(stat -c %s "${DATA}/geovista.cfg")" = 1196 ] || fail "the settings file is not whole"
pass "-exit ends both copies; one saves the settings, the other leaves them to it"
