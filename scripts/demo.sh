#!/usr/bin/env bash
# Builds BRMath and md5tool, then renders the bundled robot's first clip as a labelled
# contact sheet and prints the picture's path.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
bash scripts/setup.sh demo
cmake -S "$root" -B "$root/build/demo" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBRMATH_BUILD_TESTS=OFF >/dev/null
cmake --build "$root/build/demo" --target md5tool >/dev/null
output="$root/build/robot-idle.png"
"$root/build/demo/tools/md5tool" render "$root/samples/robot/robot.md5mesh" --clip 0 --frames 0:60:5 \
  --size 240x320 -o "$output" >&2
echo "$output"
