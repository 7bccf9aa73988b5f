# Helpers for the checks of the Windows build under Wine: Debian's wine on a
# private Xvfb (Wine's OpenGL goes through GLX to Mesa's llvmpipe), a Wine
# prefix of its own for each scenario, and the saver file copied into a
# folder of the scenario's, which is its program folder and current folder.
# Sourced by the scenario script, which sets BIN (the build's program folder)
# first.
WINE_HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "${WINE_HERE}/../e2e/lib.sh"
PY=/usr/bin/python3
export WINEDEBUG=-all
# No .NET or HTML engine to offer to download while the prefix is made.
export WINEDLLOVERRIDES="mscoree,mshtml="
# A white root window: whatever the globe does not cover shows white.
start_xvfb 1280x720x24 -wr

# Wine makes its servers' folders in TMPDIR: in the test's own folder, they
# go with it (world-writable and sticky, for Wine run as nobody too).
export TMPDIR="${E2E_TMP}/tmp"
mkdir -p "$TMPDIR"
chmod 1777 "$TMPDIR"

# Every prefix's wineserver ends with the test (they do not end with the
# shell: they are started by the first Wine process of their prefix).
PREFIXES=()
# What Wine runs as: this user, or through WINE_AS another (as_nobody).
WINE_AS=()
stop_wineservers() {
    local prefix
    for prefix in "${PREFIXES[@]}"; do
        WINEPREFIX=$prefix "${WINE_AS[@]}" wineserver -k 2>/dev/null || true
    done
}
trap 'rc=$?; set +e; stop_wineservers; (exit $rc); cleanup' EXIT

# new_wine NAME: a fresh prefix and folder; DATA is the folder (the saver
# file's own, so its program folder), RUN the same (where the log goes).
new_wine() {
    export GV_HOME="${E2E_TMP}/$1"
    export WINEPREFIX="${GV_HOME}/prefix" DATA="${GV_HOME}/data"
    export RUN="$DATA"
    mkdir -p "$DATA"
    [ ${#WINE_AS[@]} = 0 ] || chown 65534:65534 "$GV_HOME"
    PREFIXES+=("$WINEPREFIX")
    cp "${BIN}/Geovista.scr" "$DATA/"
    "${WINE_AS[@]}" wineboot -i >"${GV_HOME}/wineboot.log" 2>&1 || fail "$1: no Wine prefix"
}

# as_nobody: Wine runs as the unprivileged user nobody from here on (root
# may write any folder, nobody only its own), with a home in E2E_TMP.
as_nobody() {
    chmod 711 "$E2E_TMP"
    mkdir -p "${E2E_TMP}/nobody"
    chown 65534:65534 "${E2E_TMP}/nobody"
    WINE_AS=(setpriv --reuid=65534 --regid=65534 --clear-groups env HOME="${E2E_TMP}/nobody"
        USER=nobody LOGNAME=nobody)
}

# The Windows form of a path (Wine shows the machine's root as Z:).
windows_path() { printf 'Z:%s' "${1//\//\\}"; }

# start_saver ARG...: Geovista.scr with those arguments in DATA; SAVER is the
# process (Wine's loader becomes the Windows program, so its exit code is the
# program's).
start_saver() {
    (cd "$DATA" && exec "${WINE_AS[@]}" wine "${DATA}/Geovista.scr" "$@") \
        >>"${GV_HOME}/wine.log" 2>&1 &
    SAVER=$!
}

# The globe's window, by its title, once Wine has shown it.
globe_window() { xdotool search --onlyvisible --name "Quorvane Geovista 3D" | head -n1; }

pixels() { "$PY" "${WINE_HERE}/../e2e/saver_pixels.py" "$@"; }
shot() { import -window root "$1"; }
# shots_until SECONDS SHOT CHECK ARG...: screenshots until the check passes.
shots_until() {
    local limit=$1 shot=$2 end
    shift 2
    end=$(($(date +%s) + limit))
    while :; do
        shot "$shot"
        pixels "$@" >"${GV_HOME}/pixels.txt" 2>&1 && return 0
        [ "$(date +%s)" -lt "$end" ] || {
            cat "${GV_HOME}/pixels.txt"
            return 1
        }
        sleep 0.5
    done
}

# press KEY: a real key to the globe's window, as a user's.
press() {
    local win
    win=$(globe_window)
    [ -n "$win" ] || fail "no globe window to press $1 in"
    xdotool windowfocus --sync "$win" 2>/dev/null || true
    xdotool key --clearmodifiers "$1"
}
