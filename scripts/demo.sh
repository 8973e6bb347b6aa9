#!/usr/bin/env bash
# Builds BRMath and md5tool, then renders the bundled robot's first clip as a labelled
# contact sheet and prints the picture's path.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
bash scripts/setup.sh
cmake -S "$root" -B "$root/build/native" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$root/build/native" --target md5tool >/dev/null
output="$root/build/robot-idle.png"
"$root/build/native/tools/md5tool" render "$root/samples/robot/robot.md5mesh" --clip 0 --frames 0:60:5 \
  --size 240x320 -o "$output" >&2
echo "$output"
