#!/usr/bin/env bash
# A game material's normal map as three.js lights it: a square facing the viewer,
# exported from a game folder whose one-pixel normal map leans every normal one way.
# Three.js's light comes from the upper left, so the square leaning left must be
# drawn brighter than the one leaning right, and the one leaning up (green below 128:
# the game's green points down the image) brighter than the one leaning down.
# Usage: run_threejs_normal_maps.sh MD5TOOL SOURCE_DIR WORK_DIR
set -euo pipefail
md5tool=$1 source=$2 work=$3
rm -rf "$work" && mkdir -p "$work"
# tests/data/square_game: s runs along +x, t down the square, which faces -y (the
# viewer, as md5tool frames a model); its material's normal map is textures/lean.
cp -r "$source/tests/data/square_game" "$work/game"
tga() {  # one pixel: blue, green, red
  printf '\0\0\2\0\0\0\0\0\0\0\0\0\1\0\1\0\30\40'"$1" >"$2"
}
declare -A drawn
for lean in left:'\330\200\70' right:'\330\200\310' up:'\330\70\200' down:'\330\310\200'; do
  name=${lean%%:*}
  tga "${lean#*:}" "$work/game/textures/lean.tga"
  "$md5tool" export square --base "$work/game" -o "$work/$name.glb" 2>/dev/null
  node "$source/tests/gltf/threejs/draw.mjs" "$work/$name.glb" "$work/$name.png" 0 0 160 160 >/dev/null
  drawn[$name]=$(node "$source/tests/gltf/threejs/brightness.mjs" "$work/$name.png")
done
echo "brightness: left ${drawn[left]}, right ${drawn[right]}, up ${drawn[up]}, down ${drawn[down]}"
awk -v l="${drawn[left]}" -v r="${drawn[right]}" -v u="${drawn[up]}" -v d="${drawn[down]}" \
  'BEGIN { exit !(l > r + 10 && u > d + 10) }'
