#!/usr/bin/env bash
# The Windows build run under Wine, as Windows' screen-saver settings and a
# user would run it.
#   wine_checks.sh SCENARIO BIN TEST_HOST [SETUP]
# BIN holds Geovista.scr; TEST_HOST is wine_test_host.exe; SETUP the
# installer. Scenarios:
#   saver      /s covers the screen, Escape ends it with 0, geovista.cfg
#              (1196 bytes) is in the program folder that the AppPath value
#              names
#   instance   a second /s while one runs ends at once with 0
#   preview    /p HANDLE runs in a window of its own inside the test host's
#              window and ends when the host's window is destroyed (what it
#              draws there cannot be seen under Wine: see below)
#   configure  /c without an editor: the globe in a window with the options
#              overlay open; Escape closes it, a second Escape ends the run
#   https      a cloud update over HTTPS from the loopback test service, the
#              test authority trusted through SSL_CERT_FILE, then through the
#              Windows store of trusted roots
#   installer  the installer in silent mode puts the files in place, its
#              uninstaller removes them
#   peruser    a program folder the user cannot write: the files go to
#              %LOCALAPPDATA%\Geovista3D\, as the log says
SCENARIO=$1
BIN=$2
TEST_HOST=$3
SETUP=${4:-}
source "$(cd "$(dirname "$0")" && pwd)/wine_lib.sh"

expect_exit() { # expect_exit PID SECONDS WHAT
    wait_exit "$1" "$2" || fail "$3 did not end"
    [ "$EXIT_CODE" = 0 ] || fail "$3 ended with $EXIT_CODE"
}
expect_settings_saved() { # [FOLDER]: the program folder, DATA when not given
    local folder=${1:-$DATA}
    [ "$(stat -c %s "${folder}/geovista.cfg" 2>/dev/null)" = 1196 ] ||
        fail "geovista.cfg is not 1196 bytes in the program folder"
    log_has "Program folder $(windows_path "$folder")\\" || fail "the log names another program folder"
}

case "$SCENARIO" in
saver)
    new_wine saver
    # The program folder named by the per-user registry value.
    folder="${GV_HOME}/settings"
    mkdir -p "$folder"
    wine reg add 'HKCU\SOFTWARE\Quorvane\Geovista3D' /v AppPath /d "$(windows_path "$folder")" /f \
        >>"${GV_HOME}/wine.log" 2>&1 || fail "the AppPath value could not be written"
    start_saver /s
    wait_for 90 log_has "System initialized." || fail "start-up did not finish"
    wait_for 30 globe_window || fail "no visible window"
    geometry=$(xwininfo -id "$(globe_window)" | awk '/Absolute upper-left X/ {x=$NF}
        /Absolute upper-left Y/ {y=$NF} /Width:/ {w=$NF} /Height:/ {h=$NF}
        END {print w "x" h "+" x "+" y}')
    [ "$geometry" = "1280x720+0+0" ] || fail "the saver's window is $geometry, not the screen"
    # After the ten-second fade from black.
    shots_until 60 "${GV_HOME}/saver.png" fills "${GV_HOME}/saver.png" ||
        fail "the globe does not fill the screen"
    pass "/s: the globe fills the screen ($(cat "${GV_HOME}/pixels.txt"))"
    kill -0 "$SAVER" || fail "the saver ended by itself"
    press Escape
    expect_exit "$SAVER" 30 "the saver after Escape"
    ! log_has "AppPath not found on Registry!" || fail "the AppPath value was not read"
    expect_settings_saved "$folder"
    [ ! -e "${DATA}/geovista.cfg" ] || fail "geovista.cfg was written beside the saver file"
    pass "Escape ends the saver with 0; geovista.cfg holds 1196 bytes in the folder of AppPath"
    ;;

instance)
    new_wine instance
    start_saver /s
    first=$SAVER
    wait_for 90 log_has "System initialized." || fail "start-up did not finish"
    wait_for 30 globe_window || fail "no visible window"
    start_saver /s
    second=$SAVER
    started=$(date +%s)
    expect_exit "$second" 30 "the second saver"
    echo "  the second saver ended after $(($(date +%s) - started)) s"
    ! log_has "System initialized." || fail "the second saver started up"
    log_has "GEOVISTA Firing Up" || fail "the second saver wrote no log"
    kill -0 "$first" || fail "the first saver ended"
    [ "$(xdotool search --onlyvisible --name 'Quorvane Geovista 3D' | wc -l)" = 1 ] ||
        fail "more than one globe window"
    press Escape
    expect_exit "$first" 30 "the first saver after Escape"
    pass "a second /s ends at once with 0, the first runs on"
    ;;

preview)
    new_wine preview
    stop="${GV_HOME}/stop"
    result="${GV_HOME}/result"
    (cd "$DATA" && exec wine "$TEST_HOST" preview "$(windows_path "${DATA}/Geovista.scr")" \
        "$(windows_path "$stop")" "$(windows_path "$result")") >>"${GV_HOME}/wine.log" 2>&1 &
    host=$!
    wait_for 90 log_has "System initialized." || fail "the preview's start-up did not finish"
    # Its frames are not checked by pixels: Wine gives a window whose parent
    # belongs to another process no place on the X screen (its GL drawable
    # hangs under a hidden 1 x 1 window), so nothing drawn into it shows
    # here, by OpenGL or GDI alike. On Windows the child window is the
    # preview's usual place.
    [ -z "$(globe_window)" ] || fail "the preview opened a window of its own on the screen"
    touch "$stop"
    expect_exit "$host" 60 "the test host"
    [ "$(sed -n 1p "$result")" = "child 320x240" ] ||
        fail "no window of the saver's covers the host's: $(sed -n 1p "$result")"
    [ "$(sed -n 2p "$result")" = "ended 0" ] || fail "the preview: $(tr '\n' ' ' <"$result")"
    log_has "Exiting." || fail "the preview did not shut down"
    [ ! -e "${DATA}/geovista.cfg" ] || fail "the preview saved the settings"
    pass "/p HANDLE: the globe's window covers the host's; it ends with 0 when the host's window is destroyed, saving nothing"
    ;;

configure)
    new_wine configure
    start_saver /c
    wait_for 90 log_has "System initialized." || fail "start-up did not finish"
    log_has "Cannot start the settings editor $(windows_path "$DATA")\\GeovistaC.exe: the options open in a window" ||
        fail "the log does not say that the options open in a window"
    wait_for 30 globe_window || fail "no visible window"
    overlay_shots press "$DATA"
    kill -0 "$SAVER" || fail "the first Escape ended the run: no overlay was open"
    pixels overlay "$WITH_OVERLAY" "$WITHOUT_OVERLAY" || fail "the options overlay stayed after Escape"
    press Escape
    expect_exit "$SAVER" 30 "the run after the second Escape"
    expect_settings_saved
    pass "/c opens the options overlay in a window; Escape closes it, a second one ends the run"
    ;;

https)
    TLS="${E2E_TMP}/tls"
    mkdir -p "$TLS"
    openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2 \
        -keyout "$TLS/ca.key" -out "$TLS/ca.pem" -subj "/CN=Geovista test authority" \
        2>/dev/null || fail "no test authority"
    openssl x509 -in "$TLS/ca.pem" -outform DER -out "$TLS/ca.der"
    openssl req -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -subj "/CN=localhost" \
        -keyout "$TLS/server.key" -out "$TLS/server.csr" 2>/dev/null
    printf 'subjectAltName=DNS:localhost\nbasicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\n' \
        >"$TLS/server.ext"
    openssl x509 -req -in "$TLS/server.csr" -CA "$TLS/ca.pem" -CAkey "$TLS/ca.key" \
        -CAcreateserial -days 2 -extfile "$TLS/server.ext" -out "$TLS/server.pem" 2>/dev/null ||
        fail "no server certificate"
    # Two white cloud bands over clear sky.
    convert -size 512x256 xc:black -fill white -draw "rectangle 0,40 511,100" \
        -draw "rectangle 0,150 511,200" -interlace none GIF:"$TLS/served.gif"
    "$PY" "${WINE_HERE}/../e2e/cloud_service.py" --image "$TLS/served.gif" --record "$TLS/record" \
        --port-file "$TLS/port" --family 4 --mode ok --on both --tls "$TLS/server.pem" \
        "$TLS/server.key" --file "/images/clouds.gif=$TLS/served.gif" >"$TLS/service.log" 2>&1 &
    wait_for 10 test -s "$TLS/port" || fail "the cloud service did not start"
    PORT=$(cat "$TLS/port")
    cloud_pixels() { "$PY" "${WINE_HERE}/../e2e/cloud_pixels.py" "$@"; }

    # update NAME: the saver (enhanced, so that keys work) fetching the
    # clouds over HTTPS at start-up; UPDATED on screen, the clouds on the
    # globe (F9 takes them away), Escape ends it. Wine runs on the machine's
    # own clock, so the user view looks at 34.4 N where the sun stands now:
    # (12 h - UTC) x 15 degrees east.
    update() {
        new_wine "$1"
        local noon
        noon=$("$PY" -c 'import math, time; t = time.gmtime(); a = math.radians((12 - t.tm_hour - t.tm_min / 60) * 15); print(round(math.atan2(math.sin(a), math.cos(a)), 4))')
        "$PY" "${WINE_HERE}/../e2e/cloud_prefs.py" "${DATA}/geovista.cfg" \
            "cloudServerHost=https://localhost:${PORT}" cloudImagePath=/images/clouds.gif \
            cloudsFromSatellites=1 messageTime=600000 cameraChangingAutomatic=0 sunShown=0 \
            lensFlares=0 moonShown=0 starsShown=0 currentCamera=6 userLatitude=0.6 \
            "userLongitude=$noon" cam6.distance=500 screenSaverEnhanced=1
    }
    expect_updated() {
        local seen="" end=$(($(date +%s) + 120))
        while [ "$(date +%s)" -lt "$end" ]; do
            shot "${GV_HOME}/outcome.png"
            seen=$(cloud_pixels outcome "${GV_HOME}/outcome.png")
            case "$seen" in UPDATED | FAILED) break ;; esac
        done
        [ "$seen" = UPDATED ] || fail "$seen shown, not UPDATED"
        log_has "HTTP GET https://localhost:${PORT}/images/clouds.gif: $(stat -c %s "$TLS/served.gif") bytes" ||
            fail "the log has no download line"
        cmp "$TLS/served.gif" "${DATA}/clouds.sat" || fail "clouds.sat is not the served picture"
        shot "${GV_HOME}/with.png"
        press F9
        local end2=$(($(date +%s) + 20))
        until shot "${GV_HOME}/without.png" &&
            cloud_pixels clouds "${GV_HOME}/with.png" "${GV_HOME}/without.png" >/dev/null; do
            [ "$(date +%s)" -lt "$end2" ] || fail "no clouds on the globe"
        done
        press Escape
        expect_exit "$SAVER" 30 "the saver after Escape"
    }

    update file
    SSL_CERT_FILE=$(windows_path "$TLS/ca.pem") start_saver /s
    wait_for 90 log_has "System initialized." || fail "start-up did not finish"
    expect_updated
    pass "HTTPS with the authority of SSL_CERT_FILE: UPDATED, clouds on the globe"

    update store
    wine "$TEST_HOST" trust "$(windows_path "$TLS/ca.der")" >>"${GV_HOME}/wine.log" 2>&1 ||
        fail "the test authority could not be added to the Windows store"
    start_saver /s
    wait_for 90 log_has "System initialized." || fail "start-up did not finish"
    expect_updated
    pass "HTTPS with the authority in the Windows store: UPDATED, clouds on the globe"
    ;;

installer)
    new_wine installer
    C="${WINEPREFIX}/drive_c"
    PROGRAM="${C}/Program Files/Geovista 3D"
    LINK="${C}/ProgramData/Microsoft/Windows/Start Menu/Programs/Geovista 3D.lnk"
    KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Geovista3D'
    wine "$SETUP" /S >>"${GV_HOME}/wine.log" 2>&1 || fail "the installer failed"
    # The installer ends when its files are in place.
    cmp "${BIN}/Geovista.scr" "${C}/windows/system32/Geovista.scr" ||
        fail "Geovista.scr is not in the system folder"
    cmp "${BIN}/Geovista.scr" "${PROGRAM}/Geovista.exe" || fail "the application is not installed"
    [ -f "${PROGRAM}/Uninstall.exe" ] || fail "no uninstaller"
    [ -f "$LINK" ] || fail "no Start-menu entry"
    wine reg query "$KEY" /v DisplayName 2>/dev/null | grep -q "Geovista 3D" ||
        fail "no entry in Apps and features"
    wine reg query "$KEY" /v UninstallString 2>/dev/null | grep -qF 'Uninstall.exe' ||
        fail "the entry names no uninstaller"
    pass "the silent installer puts the saver, the application, the uninstaller and their entries in place"

    # The uninstaller copies itself aside and works from there: wait for it.
    wine "${PROGRAM}/Uninstall.exe" /S >>"${GV_HOME}/wine.log" 2>&1 || fail "the uninstaller failed"
    gone() { [ ! -e "${C}/windows/system32/Geovista.scr" ] && [ ! -e "$PROGRAM" ] && [ ! -e "$LINK" ]; }
    wait_for 60 gone || fail "the uninstaller left files: $(ls "$PROGRAM" "${C}/windows/system32/Geovista.scr" "$LINK" 2>&1)"
    WINEPREFIX=$WINEPREFIX wineserver -w
    ! wine reg query "$KEY" >/dev/null 2>&1 || fail "the uninstaller left its entry"
    pass "the silent uninstaller removes the files and the entry"
    ;;

peruser)
    # Root may write every folder: the saver then runs as nobody.
    [ "$(id -u)" != 0 ] || as_nobody
    new_wine peruser
    chmod 555 "$DATA"
    start_saver /s
    user=$("${WINE_AS[@]}" id -un)
    local_data="${WINEPREFIX}/drive_c/users/${user}/AppData/Local/Geovista3D"
    RUN=$local_data
    wait_for 90 log_has "System initialized." || fail "start-up did not finish (no log in $local_data)"
    log_has "Program folder $(windows_path "$DATA")\\ cannot be written: using C:\\users\\${user}\\AppData\\Local\\Geovista3D\\" ||
        fail "the log does not name the user's own folder"
    wait_for 30 globe_window || fail "no visible window"
    press Escape
    expect_exit "$SAVER" 30 "the saver after Escape"
    [ "$(stat -c %s "${local_data}/geovista.cfg" 2>/dev/null)" = 1196 ] ||
        fail "geovista.cfg is not 1196 bytes in the user's own folder"
    [ "$(ls "$DATA")" = Geovista.scr ] || fail "the program folder was written: $(ls "$DATA")"
    pass "an unwritable program folder: the settings and the log in %LOCALAPPDATA%\\Geovista3D\\"
    ;;

*)
    fail "unknown scenario $SCENARIO"
    ;;
esac
