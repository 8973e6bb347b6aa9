#!/usr/bin/env bash
# md5tool import's files through another reader, Assimp's MD5 importer (`assimp info`,
# raw): the same meshes and triangles, a vertex a triangle corner (its reader's layout)
# and the same joints (its nodes less its three of its own). The Blender-made model and
# the two-skeleton model's round trip; not the robot, on whose own original file Assimp
# 5.2.5's MD5 reader corrupts its heap.
# Usage: run_assimp_md5.sh MD5TOOL SOURCE_DIR WORK_DIR
set -euo pipefail
md5tool=$1 source=$2 work=$3
command -v assimp >/dev/null || { echo "assimp is not installed: bash scripts/setup.sh installs assimp-utils"; exit 1; }
rm -rf "$work" && mkdir -p "$work"
"$md5tool" export "$source/tests/data/gltf/skeletons.md5mesh" -o "$work/skeletons.glb" 2>/dev/null >/dev/null
failed=0
for model in "$source/tests/data/gltf/blender/rigged.glb" "$work/skeletons.glb"; do
  name=$(basename "$model" .glb)
  "$md5tool" import "$model" -o "$work/$name" >/dev/null 2>&1
  ours=$("$md5tool" check "$work/$name/$name.md5mesh" | grep ": OK:")
  read -r joints meshes triangles <<<"$(sed -E 's/.*OK: ([0-9]+) joints, ([0-9]+) meshes, [0-9]+ vertices, ([0-9]+) triangles.*/\1 \2 \3/' <<<"$ours")"
  theirs=$(assimp info "$work/$name/$name.md5mesh" -r 2>&1)
  count() { grep -E "^$1: +[0-9]" <<<"$theirs" | awk '{print $2}'; }
  expected="$meshes $triangles $((3 * triangles)) $((joints + 3))"
  got="$(count Meshes) $(count Faces) $(count Vertices) $(count Nodes)"
  if [ "$expected" = "$got" ]; then
    echo "$name: Assimp reads $meshes meshes, $triangles triangles and $joints joints, as md5tool wrote them"
  else
    echo "$name: Assimp read meshes, faces, vertices, nodes $got; expected $expected"
    failed=1
  fi
done
exit "$failed"
