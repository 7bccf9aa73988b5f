#!/usr/bin/env bash
# What the programs do with the user's files when things are not as they
# should be, under a real X server:
#   unreadable  - run as an ordinary user (the tests run as the superuser,
#                 who reads anything): a geovista.loc and a geovista.cfg of
#                 mode 000 keep their bytes and modes after a run of the
#                 globe and of the editor, whose OK then writes only the
#                 files it could read;
#   link        - a geovista.cfg that is a link to a synced folder stays a
#                 link, and the file it leads to is saved with its mode;
#   failed_save - a program folder the user may not write, and no folder of
#                 their own to be had instead: the globe's log names each
#                 file it could not save, and why;
#   lock        - without $XDG_RUNTIME_DIR, a lock folder of another user
#                 (who holds the lock) makes the start fail, said in the log
#                 and on standard error, instead of ending without a word.
#   files_test.sh GEOVISTA GEOVISTAC CITIES_FILE SCENARIO
GEOVISTA=$1
GEOVISTAC=$2
CITIES=$3
SCENARIO=$4
HERE=$(cd "$(dirname "$0")" && pwd)
source "${HERE}/lib.sh"
start_xvfb 1280x720x24

NOBODY=65534
AS_NOBODY=()
# new_folders, in a place the ordinary user may reach, all of it theirs; and
# the words that run a command as that user in them (AS_NOBODY).
nobody_folders() {
    chmod 711 "$E2E_TMP"
    new_folders "$1"
    mkdir -p "${GV_HOME}/cache"
    chown -R $NOBODY:$NOBODY "$GV_HOME"
    AS_NOBODY=(setpriv --reuid=$NOBODY --regid=$NOBODY --clear-groups
        env HOME="$GV_HOME" XDG_CACHE_HOME="${GV_HOME}/cache")
}
# "MODE SIZE MD5" of a file, whoever may read it.
state_of() { echo "$(stat -c '%a %s' "$1") $(md5sum <"$1" | cut -d' ' -f1)"; }
# The first N places of the built-in database.
places() { head -c $((52 * $1)) "$CITIES"; }

# The globe, started in the run folder (after the words of a runner, if any).
start_globe() {
    (cd "$RUN" && exec "$@" "$GEOVISTA") &
    GLOBE=$!
}
stop_globe() {
    kill -TERM "$GLOBE"
    wait_exit "$GLOBE" 30 || fail "the globe did not end"
    [ "$EXIT_CODE" = 0 ] || fail "the globe ended with $EXIT_CODE"
}

TITLE="Quorvane Geovista 3D Configuration"
visible() { xdotool search --onlyvisible --name "$1" | head -n1; }
keys() { xdotool key --delay 120 "$@"; sleep 0.3; }
# The editor as the ordinary user; its window found and given the keyboard.
start_editor() {
    "${AS_NOBODY[@]}" "$GEOVISTAC" >"${E2E_TMP}/editor.out" 2>&1 &
    EDITOR=$!
    wait_for 30 visible "$TITLE" || fail "no editor window"
}
# The message box with this title, answered with Enter.
answer_box() {
    local title=$1 win
    wait_for 20 visible "$title" || fail "no \"$title\" message"
    win=$(visible "$title")
    xdotool windowactivate --sync "$win" 2>/dev/null || xdotool windowfocus --sync "$win"
    sleep 0.3
    keys Return
    wait_for 10 sh -c "! xdotool search --onlyvisible --name '$title' >/dev/null" ||
        fail "the \"$title\" message stayed"
}
# OK from the keyboard: the Locations tab's "Location name", where Enter is OK.
press_ok() {
    local win
    win=$(visible "$TITLE")
    xdotool windowactivate --sync "$win" 2>/dev/null || xdotool windowfocus --sync "$win"
    sleep 0.5
    keys Right Right alt+l Return
}
wait_editor_gone() {
    wait_exit "$EDITOR" 20 || fail "the editor did not close"
}

case $SCENARIO in
unreadable)
    nobody_folders unreadable
    windowed_preferences
    places 3 >"${DATA}/geovista.loc"
    printf '\x02\x00\x00\x00' >"${DATA}/geovista.sel"
    chown $NOBODY:$NOBODY "$DATA"/*
    chmod 000 "${DATA}/geovista.loc" "${DATA}/geovista.cfg"
    loc=$(state_of "${DATA}/geovista.loc") cfg=$(state_of "${DATA}/geovista.cfg")
    sel=$(state_of "${DATA}/geovista.sel")

    # The globe: both files named with the reason; the run goes on; at the
    # end neither file is written, nor the selection of the kept database.
    start_globe "${AS_NOBODY[@]}"
    wait_for 30 log_has "System initialized." || fail "the globe did not start"
    log_has "geovista.cfg cannot be read (Permission denied): the default settings are used, and the file is left as it is" ||
        fail "the log does not name the unreadable geovista.cfg"
    log_has "geovista.loc cannot be read (Permission denied): the built-in places are used, and the file is left as it is" ||
        fail "the log does not name the unreadable geovista.loc"
    stop_globe
    log_has "geovista.cfg is left as it is: it could not be read (Permission denied)" ||
        fail "the shut-down does not say why geovista.cfg was left"
    log_has "geovista.sel is left as it is: it belongs to geovista.loc, which is left as it is" ||
        fail "the shut-down does not say why geovista.sel was left"
    grep -q 'Shutting down the system .* \[ PASSED \]$' "${RUN}/geovista.log" ||
        fail "the shut-down did not pass"
    [ "$(state_of "${DATA}/geovista.loc")" = "$loc" ] || fail "the globe changed geovista.loc: $(state_of "${DATA}/geovista.loc")"
    [ "$(state_of "${DATA}/geovista.cfg")" = "$cfg" ] || fail "the globe changed geovista.cfg: $(state_of "${DATA}/geovista.cfg")"
    [ "$(state_of "${DATA}/geovista.sel")" = "$sel" ] || fail "the globe changed geovista.sel"
    pass "the globe names the unreadable files, runs on the defaults and leaves all three files as they were"

    # The editor: a message names them when its window opens; OK leaves
    # them and says so.
    start_editor
    answer_box "Unreadable Files"
    press_ok
    answer_box "Save"
    wait_editor_gone
    [ "$(state_of "${DATA}/geovista.loc")" = "$loc" ] || fail "the editor changed geovista.loc"
    [ "$(state_of "${DATA}/geovista.cfg")" = "$cfg" ] || fail "the editor changed geovista.cfg"
    [ "$(state_of "${DATA}/geovista.sel")" = "$sel" ] || fail "the editor changed geovista.sel"
    pass "the editor names the unreadable files when it opens, and OK leaves all three as they were"

    # With only the database unreadable, OK writes the settings it could read.
    chmod 600 "${DATA}/geovista.cfg"
    start_editor
    answer_box "Unreadable Files"
    press_ok
    answer_box "Save"
    wait_editor_gone
    [ "$(stat -c '%a %s' "${DATA}/geovista.cfg")" = "600 1196" ] ||
        fail "OK did not write geovista.cfg with its mode: $(stat -c '%a %s' "${DATA}/geovista.cfg")"
    [ "$(state_of "${DATA}/geovista.loc")" = "$loc" ] || fail "the editor changed geovista.loc"
    [ "$(state_of "${DATA}/geovista.sel")" = "$sel" ] || fail "the editor changed geovista.sel"
    pass "OK writes the settings it could read, with their mode, and leaves the database and its selection"
    ;;
link)
    new_folders link
    mkdir -p "${GV_HOME}/synced"
    head -c 12 /dev/zero >"${GV_HOME}/synced/geovista.cfg"
    chmod 600 "${GV_HOME}/synced/geovista.cfg"
    ln -s ../synced/geovista.cfg "${DATA}/geovista.cfg"
    places 2 >"${DATA}/geovista.loc"
    chmod 640 "${DATA}/geovista.loc"
    start_globe
    wait_for 30 log_has "System initialized." || fail "the globe did not start"
    stop_globe
    [ -L "${DATA}/geovista.cfg" ] || fail "geovista.cfg is no longer a link"
    [ "$(readlink "${DATA}/geovista.cfg")" = "../synced/geovista.cfg" ] || fail "the link was changed"
    [ "$(stat -c '%a %s' "${GV_HOME}/synced/geovista.cfg")" = "600 1196" ] ||
        fail "the linked file was not saved with its mode: $(stat -c '%a %s' "${GV_HOME}/synced/geovista.cfg")"
    [ "$(stat -c '%a' "${DATA}/geovista.loc")" = 640 ] || fail "geovista.loc lost its mode"
    [ -z "$(find "$DATA" "${GV_HOME}/synced" -name '*.??????')" ] || fail "a temporary file was left"
    pass "a linked geovista.cfg stays a link; the file it leads to is saved with its mode, and so is geovista.loc"
    ;;
failed_save)
    nobody_folders failed_save
    windowed_preferences
    places 2 >"${DATA}/geovista.loc"
    # Files the user may read in a folder they may not write.
    chown root:root "$DATA" "$DATA"/*
    chmod 755 "$DATA"
    chmod 644 "$DATA"/*
    # Nor can the user's own data folder be made: their home is not theirs.
    mkdir -p "${GV_HOME}/home"
    chmod 755 "${GV_HOME}/home"
    before=$(checksums)
    start_globe "${AS_NOBODY[@]}" HOME="${GV_HOME}/home" XDG_DATA_HOME="${GV_HOME}/home/share"
    wait_for 30 log_has "System initialized." || fail "the globe did not start"
    stop_globe
    grep -q 'Shutting down the system .* \[ FAILED: not every file was saved \]$' "${RUN}/geovista.log" ||
        fail "the shut-down did not say that files were not saved"
    log_has "Cannot save geovista.cfg: Permission denied" || fail "geovista.cfg's failure is not logged"
    log_has "Cannot save geovista.loc: Permission denied" || fail "geovista.loc's failure is not logged"
    log_has "geovista.sel is left as it is: it belongs to geovista.loc, which could not be written" ||
        fail "the selection's reason is not logged"
    log_has "Exiting." || fail "the run did not end normally"
    [ ! -e "${GV_HOME}/home/share" ] || fail "a folder was made in a home the user may not write"
    [ "$(checksums)" = "$before" ] || fail "a file changed"
    pass "each file the globe could not save is named in the log with the reason"
    ;;
lock)
    new_folders lock
    windowed_preferences
    unset XDG_RUNTIME_DIR
    export TMPDIR="${GV_HOME}/tmp"
    mkdir -p "$TMPDIR"
    chmod 711 "$E2E_TMP" "$GV_HOME"
    chmod 1777 "$TMPDIR"
    # Another user made the folder first and holds the lock in it.
    folder="${TMPDIR}/geovista-$(id -u)"
    setpriv --reuid=$NOBODY --regid=$NOBODY --clear-groups mkdir -m 700 "$folder"
    # One process that holds the lock itself (no child left behind to end).
    setpriv --reuid=$NOBODY --regid=$NOBODY --clear-groups \
        bash -c 'exec 9>"$1" && flock 9 && exec sleep 120' _ "${folder}/GvstMut.lock" \
        >/dev/null 2>&1 &
    holder=$!
    wait_for 10 test -e "${folder}/GvstMut.lock" || fail "the other user's lock was not made"
    before=$(checksums)
    (cd "$RUN" && exec "$GEOVISTA") 2>"${E2E_TMP}/stderr" &
    globe=$!
    wait_exit "$globe" 30 || fail "the globe did not end"
    kill "$holder" 2>/dev/null || true
    wait "$holder" 2>/dev/null || true
    [ "$EXIT_CODE" != 0 ] || fail "the globe ended with 0, as if another instance ran"
    log_has "Cannot check for another running globe: ${folder} belongs to user 65534, not to this user ($(id -u))" ||
        fail "the log does not say why the lock was refused"
    [ "$(cat "${E2E_TMP}/stderr")" = "Geovista: start-up failed at \"Checking for another running globe\"; see ${RUN}/geovista.log" ] ||
        fail "standard error: $(cat "${E2E_TMP}/stderr")"
    [ "$(checksums)" = "$before" ] || fail "a data file changed"
    pass "a lock folder of another user ends the start with the reason in the log and one line on standard error"
    ;;
*)
    fail "no scenario $SCENARIO"
    ;;
esac
