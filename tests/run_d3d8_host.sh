#!/usr/bin/env bash
# Runs the Direct3D 8 host program under Wine on a virtual X display (Mesa draws for
# Wine's Direct3D), drawing frames 0 and 8 of the sample's walk, and keeps the pictures.
# Usage: run_d3d8_host.sh WINE HOST_EXE BRMATH_DLL MESH OUTPUT_FOLDER
# (WINE: the loader that runs the host, wine or a 64-bit wine64)
set -euo pipefail
wine=$1 host=$2 dll=$3 mesh=$4 out=$5
first="$out/d3d8-walk-frame-0.bmp"
second="$out/d3d8-walk-frame-8.bmp"
rm -f "$first" "$second"
# A Wine prefix of its own: the other tests' Wine runs without a display, and a prefix's
# desktop keeps the display it started with.
export WINEPREFIX="$out/wine-prefix-display"
mkdir -p "$WINEPREFIX"
# Wine's drive Z: is the Unix root.
xvfb-run -a -s "-screen 0 1024x768x24" bash -c \
  'status=0; "$@" || status=$?; wineserver -k 2>/dev/null || true; exit $status' \
  run "$wine" "$host" "Z:$dll" "Z:$mesh" 1 0 8 "Z:$first" "Z:$second"
echo "the pictures are $first and $second"
