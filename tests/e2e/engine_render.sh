#!/usr/bin/env bash
# Runs the engine render check under its own X server.
#   engine_render.sh PROGRAM CASE WORKDIR
set -euo pipefail
program=$1
case_name=$2
work=$3
mkdir -p "$work"
out="$work/engine_${case_name}.tga"
rm -f "$out"
xvfb-run -a -s '-screen 0 1280x720x24' "$program" "$case_name" "$out"
test -s "$out"
