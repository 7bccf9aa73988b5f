#!/usr/bin/env bash
# The Debian package as a user gets it: lintian and the metadata validators,
# an install with apt-get, the programs started from PATH by an unprivileged
# user under Xvfb (root could write anywhere), the screen saver started by a
# real XScreenSaver, and a removal that leaves no file of the package behind.
# Run as root on a machine where the package may be installed and removed.
#   package_check.sh DEB
set -euo pipefail
DEB=$(realpath "${1:?usage: package_check.sh DEB}")
HERE=$(cd "$(dirname "$0")" && pwd)
E2E=$HERE/../tests/e2e
PY=/usr/bin/python3
USER_ID=65534 # nobody: no home, no rights of its own
FAKETIME_LIB=$(ls /usr/lib/*/faketime/libfaketime.so.1 | head -n1)

TMP=$(mktemp -d /tmp/gv-package.XXXXXX)
chmod 755 "$TMP"
XVFB_PID=""
INSTALLED=""
cleanup() {
    local rc=$?
    if [ $rc -ne 0 ]; then
        echo "--- the globe's log:"
        cat "$HOME_DIR/.local/share/geovista3d/geovista.log" 2>/dev/null || true
    fi
    pkill -TERM -u "$USER_ID" 2>/dev/null || true
    sleep 0.5
    pkill -KILL -u "$USER_ID" 2>/dev/null || true
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true
    wait 2>/dev/null || true
    if [ -n "$INSTALLED" ] && dpkg -s geovista3d >/dev/null 2>&1; then
        apt-get remove -y -q geovista3d >/dev/null 2>&1 || true
    fi
    rm -rf "$TMP"
    exit $rc
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
pass() { echo "ok: $*"; }
wait_for() { # wait_for SECONDS COMMAND...
    local limit=$1; shift
    for _ in $(seq $((limit * 10))); do
        if "$@" >/dev/null 2>&1; then return 0; fi
        sleep 0.1
    done
    return 1
}
holds() { awk "BEGIN { exit !($*) }"; }

# --- The package itself.
echo "--- lintian:"
lintian --fail-on error --suppress-tags-from-file /dev/null "$DEB" || fail "lintian found errors"
dpkg-deb --field "$DEB" Package Section Depends Suggests Maintainer Homepage
[ "$(dpkg-deb --field "$DEB" Section)" = graphics ] || fail "the section is not graphics"
dpkg-deb --field "$DEB" Depends | grep -q 'libsdl2' || fail "Depends lacks the shared libraries"
pass "lintian reports no error; section, shared-library Depends and Suggests are set"

DEBIAN_FRONTEND=noninteractive apt-get install -y -q "$DEB" >"$TMP/install.log" 2>&1 ||
    { cat "$TMP/install.log"; fail "apt-get could not install the package"; }
INSTALLED=1
dpkg -L geovista3d >"$TMP/listed"
for f in /usr/bin/Geovista /usr/bin/GeovistaC /usr/libexec/xscreensaver/Geovista \
    /usr/share/xscreensaver/config/Geovista.xml /usr/share/applications/geovista.desktop \
    /usr/share/applications/geovista-settings.desktop \
    /usr/share/applications/screensavers/geovista.desktop \
    /usr/share/icons/hicolor/128x128/apps/geovista.png \
    /usr/share/metainfo/com.quorvane.geovista3d.metainfo.xml \
    /usr/share/man/man6/Geovista.6.gz /usr/share/man/man1/GeovistaC.1.gz \
    /usr/share/doc/geovista3d/copyright /usr/share/doc/geovista3d/changelog.Debian.gz; do
    grep -qx "$f" "$TMP/listed" || fail "the package lacks $f"
    [ -e "$f" ] || fail "$f is not in place"
done
[ "$(readlink -f /usr/libexec/xscreensaver/Geovista)" = /usr/bin/Geovista ] ||
    fail "the saver's link does not lead to the globe"
appstreamcli validate --no-net /usr/share/metainfo/com.quorvane.geovista3d.metainfo.xml
desktop-file-validate /usr/share/applications/geovista.desktop \
    /usr/share/applications/geovista-settings.desktop \
    /usr/share/applications/screensavers/geovista.desktop
grep -q '^Categories=Screensaver;' /usr/share/applications/screensavers/geovista.desktop ||
    fail "the screen-saver entry is not in the Screensaver category"
man -l /usr/share/man/man6/Geovista.6.gz 2>&1 >/dev/null | grep . && fail "the globe's manual page has errors"
pass "installed in Debian's places; AppStream, desktop entries and manual pages are valid"

# --- An unprivileged user on a private X server.
HOME_DIR=$TMP/home
mkdir -p "$HOME_DIR/run"
chmod 700 "$HOME_DIR/run"
chown -R "$USER_ID:$USER_ID" "$HOME_DIR"
for n in $(shuf -i 100-999 -n 40); do
    [ -e "/tmp/.X${n}-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x720x24 -nolisten tcp -noreset -ac >"$TMP/xvfb.log" 2>&1 &
    XVFB_PID=$!
    if wait_for 10 test -S "/tmp/.X11-unix/X$n" &&
        [ "$(tr -d ' ' <"/tmp/.X${n}-lock" 2>/dev/null)" = "$XVFB_PID" ]; then
        DISPLAY=":$n"
        break
    fi
    kill "$XVFB_PID" 2>/dev/null || true
    XVFB_PID=""
done
[ -n "$XVFB_PID" ] || fail "no X server could be started"
as_user() { # as_user COMMAND...: the user's own environment, PATH as a login gives it
    setpriv --reuid="$USER_ID" --regid="$USER_ID" --clear-groups \
        env -i HOME="$HOME_DIR" PATH=/usr/local/bin:/usr/bin:/bin DISPLAY="$DISPLAY" \
        XDG_RUNTIME_DIR="$HOME_DIR/run" TZ=UTC LANG=C.UTF-8 "$@"
}
FOLDER=$HOME_DIR/.local/share/geovista3d
LOG=$FOLDER/geovista.log
log_has() { grep -qF -- "$1" "$LOG"; }
window() { DISPLAY=$DISPLAY xdotool search --onlyvisible --name "$1" | head -n1; }
shot() { DISPLAY=$DISPLAY import -window root "$1"; }
drawn() { "$PY" "$E2E/planet_pixels.py" drawn "$1"; }
ends_within() { # ends_within PID SECONDS: waits for PID's end; its status in STATUS
    local pid=$1 limit=$2
    for _ in $(seq $((limit * 10))); do
        if ! kill -0 "$pid" 2>/dev/null; then
            set +e; wait "$pid"; STATUS=$?; set -e
            return 0
        fi
        sleep 0.1
    done
    return 1
}

# The first start: no folder of the user's yet. /usr/bin cannot be written, so
# the files go to the per-user folder.
(cd "$HOME_DIR" && as_user env LD_PRELOAD="$FAKETIME_LIB" FAKETIME='@2026-03-20 12:00:00 x10' \
    Geovista) &
GLOBE=$!
wait_for 30 log_has "System initialized." || fail "the globe did not start from PATH"
wait_for 30 window "Geovista 3D" || fail "no globe window"
for _ in $(seq 60); do shot "$TMP/first.png"; drawn "$TMP/first.png" >/dev/null && break; sleep 0.5; done
drawn "$TMP/first.png" || fail "the globe drew nothing"
DISPLAY=$DISPLAY xdotool key --window "$(window "Geovista 3D")" Escape
ends_within "$GLOBE" 20 || fail "Escape did not end the globe"
[ "$STATUS" = 0 ] || fail "the globe ended with status $STATUS"
[ "$(stat -c %s "$FOLDER/geovista.cfg")" = 1196 ] || fail "no 1196-byte geovista.cfg in $FOLDER"
[ "$(stat -c %a "$FOLDER")" = 700 ] || fail "the per-user folder is not private"
[ "$(stat -c %u "$FOLDER/geovista.cfg")" = "$USER_ID" ] || fail "the settings are not the user's"
grep -qF "$FOLDER/" "$LOG" || fail "the log does not name the folder in use"
[ ! -e "$HOME_DIR/geovista.log" ] || fail "the log was written to the current folder too"
pass "Geovista from PATH draws, ends on Escape and keeps its 1196-byte settings in ~/.local/share/geovista3d/"

# The user's own settings: the view over Greenwich at noon (lit), a host name
# to find again after the editor.
as_user "$PY" "$E2E/cloud_prefs.py" "$FOLDER/geovista.cfg" cloudServerHost=pkgcheck.invalid \
    moonShown=0 sunShown=0 starsShown=0 cameraChangingAutomatic=0 currentCamera=6 \
    userLatitude=0.8985 userLongitude=0 cam6.distance=500
(cd "$HOME_DIR" && as_user env LD_PRELOAD="$FAKETIME_LIB" FAKETIME='@2026-03-20 12:00:00 x10' \
    Geovista) &
GLOBE=$!
wait_for 30 log_has "System initialized." || fail "the globe did not start again"
wait_for 30 window "Geovista 3D" || fail "no globe window"
sleep_until_lit() {
    for _ in $(seq 60); do
        shot "$1"
        holds "$("$PY" "$E2E/planet_pixels.py" mean "$1" 640 360 30) > 20" && return 0
        sleep 0.5
    done
    return 1
}
sleep_until_lit "$TMP/greenwich.png" || fail "the settings in the per-user folder were not used: Greenwich is not lit"
DISPLAY=$DISPLAY xdotool key --window "$(window "Geovista 3D")" Escape
ends_within "$GLOBE" 20 || fail "Escape did not end the globe"
pass "the globe reads its settings from the per-user folder (Greenwich lit at noon)"

# The editor finds the same file: OK replaces it (a new file renamed over
# the old one) with what it read (the host name).
before=$(stat -c %i "$FOLDER/geovista.cfg")
(cd "$HOME_DIR" && as_user GeovistaC) &
EDITOR=$!
wait_for 30 window "Geovista 3D Configuration" || fail "no editor window"
DISPLAY=$DISPLAY xdotool key --window "$(window "Geovista 3D Configuration")" Return
ends_within "$EDITOR" 20 || fail "OK did not close the editor"
[ "$(stat -c %i "$FOLDER/geovista.cfg")" != "$before" ] || fail "the editor did not write the settings"
[ "$(stat -c %s "$FOLDER/geovista.cfg")" = 1196 ] || fail "the editor's settings are not 1196 bytes"
grep -qa 'pkgcheck.invalid' "$FOLDER/geovista.cfg" || fail "the editor did not read the per-user settings"
pass "GeovistaC from PATH reads and writes the same per-user settings"

# XScreenSaver: the saver in its programs list, started by -activate.
cat >"$HOME_DIR/.xscreensaver" <<'EOF'
mode:		one
selected:	0
lock:		False
splash:		False
fade:		False
unfade:		False
timeout:	1:00:00
programs:	Geovista -root \n
EOF
chown "$USER_ID:$USER_ID" "$HOME_DIR/.xscreensaver"
: >"$LOG"
(cd "$HOME_DIR" && as_user env LD_PRELOAD="$FAKETIME_LIB" FAKETIME='@2026-03-20 12:00:00 x10' \
    xscreensaver -no-splash) >"$TMP/xscreensaver.log" 2>&1 &
SAVER_HOST=$!
wait_for 20 as_user xscreensaver-command -time || fail "XScreenSaver did not start"
as_user xscreensaver-command -activate >/dev/null
wait_for 30 log_has "System initialized." || { cat "$TMP/xscreensaver.log"; fail "XScreenSaver did not start the globe"; }
sleep_until_lit "$TMP/saver.png" || fail "the saver does not show the globe"
as_user xscreensaver-command -exit >/dev/null
ends_within "$SAVER_HOST" 20 || fail "XScreenSaver did not end"
# A saver that ended after its host may wait a while as a zombie for this
# machine's first process to collect it: it counts as ended.
saver_gone() { ps -u "$USER_ID" -o stat=,comm= | awk '$2 == "Geovista" && $1 !~ /^Z/ { n++ } END { exit n > 0 }'; }
wait_for 20 saver_gone ||
    { ps -o pid,ppid,stat,etime,args -u "$USER_ID"; fail "the saver outlived XScreenSaver"; }
pass "XScreenSaver starts Geovista -root from its folder of programs and shows the globe"

# --- Removal leaves nothing of the package's own.
apt-get remove -y -q geovista3d >"$TMP/remove.log" 2>&1 || { cat "$TMP/remove.log"; fail "apt-get remove failed"; }
INSTALLED=""
left=0
while IFS= read -r f; do
    [ -d "$f" ] && [ ! -L "$f" ] && continue
    if [ -e "$f" ] || [ -L "$f" ]; then echo "left behind: $f"; left=1; fi
done <"$TMP/listed"
[ ! -e /usr/share/doc/geovista3d ] || { echo "left behind: /usr/share/doc/geovista3d"; left=1; }
[ $left = 0 ] || fail "files of the package outlived its removal"
pass "apt-get remove leaves no file of the package behind"
