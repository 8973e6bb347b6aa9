#!/usr/bin/env bash
# The sample's glTF export drawn by a real glTF client, three.js in headless Chromium,
# beside md5tool render's picture of the MD5 files: the same camera, and the model must
# cover the same pixels (at least 95% of them shared).
# Usage: run_threejs.sh MD5TOOL SOURCE_DIR WORK_DIR
set -euo pipefail
md5tool=$1 source=$2 work=$3
if [ ! -d "$source/tests/gltf/node_modules/three" ]; then
  echo "three.js is not installed: bash scripts/setup.sh installs it (or npm ci in tests/gltf)"
  exit 1
fi
if [ ! -x "${CHROMIUM:-/usr/bin/chromium}" ]; then
  echo "Chromium is not installed: bash scripts/setup.sh installs it"
  exit 1
fi
rm -rf "$work" && mkdir -p "$work"
"$md5tool" export "$source/samples/robot/robot.md5mesh" -o "$work/robot.glb" 2>/dev/null
# The wave at frame 12 (0.5 s at 24 frames a second), and the walk at frame 20.
for view in "2 12 0.5" "1 20 0.833333"; do
  read -r clip frame time <<<"$view"
  node "$source/tests/gltf/threejs/draw.mjs" "$work/robot.glb" "$work/three-$clip.png" "$clip" "$time" 320 320
  "$md5tool" render "$source/samples/robot/robot.md5mesh" --clip "$clip" --frame "$frame" --size 320x320 \
    -o "$work/md5-$clip.png"
  node "$source/tests/gltf/threejs/overlap.mjs" "$work/three-$clip.png" "$work/md5-$clip.png" 0.95
done
echo "the pictures are in $work"
