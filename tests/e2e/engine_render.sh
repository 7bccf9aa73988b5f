#!/usr/bin/env bash
# Runs the engine render check under its own X server.
#   engine_render.sh PROGRAM CASE WORKDIR
program=$1
case_name=$2
work=$3
source "$(dirname "$0")/lib.sh"
start_xvfb 1280x720x24
mkdir -p "$work"
out="$work/engine_${case_name}.tga"
rm -f "$out"
"$program" "$case_name" "$out"
test -s "$out"
