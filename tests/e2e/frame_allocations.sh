#!/usr/bin/env bash
# The planet scene with every overlay (the options overlay on a new entry
# each frame, the help panel, the crosshair, message, performance line and
# clock) draws 123 frames (three times round the 41 options) without a
# single heap allocation: the frame benchmark fails otherwise.
#   frame_allocations.sh PLANET_FRAME_BENCH
BENCH=$1
source "$(dirname "$0")/lib.sh"
start_xvfb 1280x720x24
new_folders allocations
out=$(cd "$RUN" && "$BENCH" 0 123) || { echo "$out"; fail "frames allocated (or the bench failed)"; }
echo "$out"
grep -q ", 0 allocations;" <<<"$out" || fail "no allocation count of 0 reported"
pass "123 frames with every overlay allocate nothing"
