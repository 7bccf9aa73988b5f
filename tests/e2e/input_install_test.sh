#!/usr/bin/env bash
# "cmake --install" into a fresh prefix puts the program, the desktop entry
# with its icons and the XScreenSaver description where Linux hosts look.
BUILD_DIR=$1
set -euo pipefail
prefix=$(mktemp -d /tmp/gv-install.XXXXXX)
trap 'rm -rf "$prefix"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$BUILD_DIR" --prefix "$prefix" >/dev/null

[ -x "$prefix/bin/Geovista" ] || fail "no program in bin"
desktop="$prefix/share/applications/geovista.desktop"
[ -f "$desktop" ] || fail "no desktop entry"
grep -qx 'Exec=Geovista' "$desktop" || fail "desktop entry does not start the program"
grep -qx 'Icon=geovista' "$desktop" || fail "desktop entry names no icon"
[ -f "$prefix/share/icons/hicolor/128x128/apps/geovista.png" ] || fail "no 128-pixel icon"
[ -f "$prefix/share/icons/hicolor/32x32/apps/geovista.png" ] || fail "no 32-pixel icon"
if command -v desktop-file-validate >/dev/null; then desktop-file-validate "$desktop"; fi

# The settings editor beside the globe, where "Geovista /c" looks for it.
if [ -f "$BUILD_DIR/bin/GeovistaC" ]; then
    [ -x "$prefix/bin/GeovistaC" ] || fail "no settings editor in bin"
    settings="$prefix/share/applications/geovista-settings.desktop"
    [ -f "$settings" ] || fail "no desktop entry for the settings editor"
    grep -qx 'Exec=GeovistaC' "$settings" || fail "the settings entry does not start the editor"
    grep -qx 'Icon=geovista' "$settings" || fail "the settings entry names no icon"
    if command -v desktop-file-validate >/dev/null; then desktop-file-validate "$settings"; fi
fi

config="$prefix/share/xscreensaver/config/Geovista.xml"
[ -f "$config" ] || fail "no XScreenSaver description"
grep -q '<screensaver name="Geovista"' "$config" || fail "the description names another program"
grep -q '<command arg="-root"/>' "$config" || fail "the description does not pass -root"
if command -v xmllint >/dev/null; then xmllint --noout "$config"; fi

# The installed program answers the host's conventions: a bad window number
# is refused before anything starts.
if "$prefix/bin/Geovista" -window-id nonsense 2>"$prefix/err"; then fail "bad window id accepted"; fi
grep -q "not a window number" "$prefix/err" || fail "no message for a bad window id"
echo "install layout ok"
