#!/usr/bin/env bash
# Frames allocate nothing: the frame benchmark fails otherwise.
#   frame_allocations.sh PLANET_FRAME_BENCH
#     the planet scene with every overlay (the options overlay on a new entry
#     each frame, the help panel, the crosshair, message, performance line
#     and clock), 123 frames (three times round the 41 options);
#   frame_allocations.sh PLANET_FRAME_BENCH locations
#     the user view with no place chosen and with all 1306 built-in places
#     and their times (their labels decluttered and not), 20 frames each,
#     then the locations manager unrolling the map, open with its lists and
#     rolling it up, three times.
BENCH=$1
MODE=${2:-overlays}
source "$(dirname "$0")/lib.sh"
start_xvfb 1280x720x24
new_folders allocations
if [ "$MODE" = locations ]; then
    out=$(cd "$RUN" && "$BENCH" locations 20) || { echo "$out"; fail "frames allocated (or the bench failed)"; }
    echo "$out"
    [ "$(grep -c ", 0 allocations" <<<"$out")" = 6 ] || fail "not every part reported 0 allocations"
    pass "frames with every place chosen and the manager's frames allocate nothing"
else
    out=$(cd "$RUN" && "$BENCH" 0 123) || { echo "$out"; fail "frames allocated (or the bench failed)"; }
    echo "$out"
    grep -q ", 0 allocations;" <<<"$out" || fail "no allocation count of 0 reported"
    pass "123 frames with every overlay allocate nothing"
fi
