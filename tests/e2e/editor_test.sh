#!/usr/bin/env bash
# The settings editor as a user meets it under a real X server: started by
# the globe's "/c", driven with real keys, its files checked byte for byte,
# and the globe started afterwards showing what was chosen; Escape leaves
# every file as it was.
#   editor_test.sh GEOVISTA GEOVISTAC CITIES_FILE [PICTURES_DIR]
GEOVISTA=$1
GEOVISTAC=$2
CITIES=$3
PICTURES=${4:-}
HERE=$(cd "$(dirname "$0")" && pwd)
source "${HERE}/lib.sh"
PY=/usr/bin/python3
export TZ=UTC
start_xvfb 1280x720x24

# The editor is started through the shell's detached launch: it is not our
# child, so it is ended here by its own PID whatever happens.
EDITOR_PID=""
trap 'rc=$?; [ -n "$EDITOR_PID" ] && kill "$EDITOR_PID" 2>/dev/null; (exit $rc); cleanup' EXIT

TITLE="Quorvane Geovista 3D Configuration"
editor_window() { xdotool search --onlyvisible --name "$TITLE" | head -n1; }
keys() { xdotool key --delay 120 "$@"; sleep 0.3; }
wait_editor_gone() {
    for _ in $(seq 100); do
        kill -0 "$EDITOR_PID" 2>/dev/null || { EDITOR_PID=""; return 0; }
        sleep 0.1
    done
    return 1
}
# The window found, its process known, and the keyboard on it.
take_editor() {
    wait_for 30 editor_window || fail "no editor window"
    WIN=$(editor_window)
    EDITOR_PID=$(xdotool getwindowpid "$WIN")
    [ -n "$EDITOR_PID" ] || fail "the editor window names no process"
    xdotool windowfocus --sync "$WIN"
    sleep 0.5
}
keep() { [ -n "$PICTURES" ] && mkdir -p "$PICTURES" && cp "$1" "$PICTURES/$2"; return 0; }

# --- "Geovista /c" starts the editor of the program folder; keys change a
# setting and the shown places; OK writes the three files.
new_folders configure
cp "$GEOVISTAC" "${DATA}/GeovistaC"
(cd "$RUN" && exec "$GEOVISTA" /c) &
globe=$!
wait_exit "$globe" 20 || fail "configure mode did not end"
[ "$EXIT_CODE" = 0 ] || fail "configure mode ended with $EXIT_CODE"
take_editor
[ "$(readlink "/proc/${EDITOR_PID}/exe")" = "${DATA}/GeovistaC" ] ||
    fail "the editor run is not the one in the program folder"
[ -z "$(ls "$DATA" | grep -v '^GeovistaC$')" ] || fail "files written before OK"
if [ -n "$PICTURES" ]; then
    import -window "$WIN" "${E2E_TMP}/tab1.png"; keep "${E2E_TMP}/tab1.png" editor-read-first.png
fi

keys Right                   # the tab bar has the focus: "Options"
keys alt+f                   # "Fullscreen" off: the globe opens a window
keys alt+k                   # the clock's colour swatch (its label clicks it): white to red
[ -n "$PICTURES" ] && import -window "$WIN" "${E2E_TMP}/tab2.png" && keep "${E2E_TMP}/tab2.png" editor-options.png
keys ctrl+Tab                # "Locations"
keys alt+c                   # the search box
xdotool type --delay 80 London
sleep 0.3
keys Return                  # shows the highlighted place
[ -n "$PICTURES" ] && import -window "$WIN" "${E2E_TMP}/tab3.png" && keep "${E2E_TMP}/tab3.png" editor-locations.png
keys alt+l Return            # into "Location name", where Enter is OK
wait_editor_gone || fail "OK did not close the editor"

# Xvfb lists its one mode after the desktop: the first run's resolution is
# entry 1, as the globe would choose it.
"$PY" "${HERE}/editor_expected.py" "${E2E_TMP}/expected.cfg" screenModeIndex=1 fullScreen=0 clockColour=1
cmp "${E2E_TMP}/expected.cfg" "${DATA}/geovista.cfg" || fail "geovista.cfg differs from the expected record"
cmp "$CITIES" "${DATA}/geovista.loc" || fail "geovista.loc is not the built-in database"
london=$("$PY" - "$CITIES" <<'PYEOF'
import sys
data = open(sys.argv[1], "rb").read()
for i in range(len(data) // 52):
    if data[i * 52 + 8:i * 52 + 40].split(b"\0")[0] == b"London":
        print(i)
        break
PYEOF
)
[ -n "$london" ] || fail "London is not in the built-in database"
"$PY" -c "import struct,sys; sys.stdout.buffer.write(struct.pack('<I', $london))" >"${E2E_TMP}/expected.sel"
cmp "${E2E_TMP}/expected.sel" "${DATA}/geovista.sel" || fail "geovista.sel does not name London (${london})"
pass "Geovista /c starts GeovistaC; keys change the window mode, the clock colour and the shown places; OK writes the three files byte for byte"

# --- The globe started in the same folder shows the red clock in a window.
FAKETIME_LIB=$(ls /usr/lib/*/faketime/libfaketime.so.1 | head -n1)
[ -n "$FAKETIME_LIB" ] || fail "libfaketime is not installed"
(cd "$RUN" && LD_PRELOAD="$FAKETIME_LIB" FAKETIME="+0 x10" exec "$GEOVISTA") &
globe=$!
wait_for 30 log_has "System initialized." || fail "the globe did not start on the editor's files"
wait_for 30 globe_window || fail "no globe window"
sleep 2 # twenty seconds of the globe's time: the curtain has lifted
import -window root "${E2E_TMP}/globe.png"
keep "${E2E_TMP}/globe.png" editor-globe.png
kill -TERM "$globe"
wait_exit "$globe" 20 || fail "the globe did not end"
[ "$EXIT_CODE" = 0 ] || fail "the globe ended with $EXIT_CODE"
"$PY" - "${E2E_TMP}/globe.png" <<'PYEOF' || fail "the clock is not red"
import sys
import numpy as np
from PIL import Image
img = np.asarray(Image.open(sys.argv[1]).convert("RGB")).astype(int)
assert img.shape[:2] == (720, 1280), f"the globe's window fills {img.shape[:2]}, not 720 x 1280"
corner = img[650:, 1100:]
r, g, b = corner[..., 0], corner[..., 1], corner[..., 2]
red = int(((r > 150) & (g < 90) & (b < 90)).sum())
white = int(((r > 200) & (g > 200) & (b > 200)).sum())
print(f"clock corner: {red} red pixels, {white} white")
sys.exit(0 if red >= 30 and white < red // 4 else 1)
PYEOF
pass "the globe started afterwards runs windowed with the clock in red"

# --- Escape is Cancel: after changes nothing is written.
new_folders cancel
cp "$GEOVISTAC" "${DATA}/GeovistaC"
"$PY" "${HERE}/editor_expected.py" "${DATA}/geovista.cfg" screenModeIndex=1
head -c $((52 * 40)) "$CITIES" >"${DATA}/geovista.loc"
printf '\x02\x00\x00\x00' >"${DATA}/geovista.sel"
before=$(checksums)
("${DATA}/GeovistaC" >/dev/null 2>&1 &)
take_editor
keys Right alt+f alt+k space ctrl+Tab alt+c
xdotool type --delay 80 Ab
keys Return alt+a
keys Escape
wait_editor_gone || fail "Escape did not close the editor"
[ "$(checksums)" = "$before" ] || fail "files changed after Escape"
pass "Escape after changes leaves every file untouched"

echo "all editor scenarios passed"
