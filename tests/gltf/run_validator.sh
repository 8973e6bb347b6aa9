#!/usr/bin/env bash
# md5tool export's files through the Khronos glTF validator: the sample robot (binary),
# the rig (JSON with the buffer beside it, and embedded) and the two-skeleton model
# (six weights a vertex, two roots, a clip that drives two of six joints), the rig
# with a texture (beside a .gltf, inside a .glb), the sample game base's robot, and the
# robot as the Quake remasters' bases (full-bright skins as emissive textures; the
# .md5scale on scale-only child joints). Every file must have no error and no warning.
# Usage: run_validator.sh MD5TOOL SOURCE_DIR WORK_DIR
set -euo pipefail
md5tool=$1 source=$2 work=$3
if [ ! -d "$source/tests/gltf/node_modules/gltf-validator" ]; then
  echo "the Khronos glTF validator is not installed: bash scripts/setup.sh installs it (or npm ci in tests/gltf)"
  exit 1
fi
rm -rf "$work" && mkdir -p "$work"
"$md5tool" export "$source/samples/robot/robot.md5mesh" -o "$work/robot.glb"
"$md5tool" export "$source/tests/data/rig/rig.md5mesh" -o "$work/rig.gltf"
"$md5tool" export "$source/tests/data/rig/rig.md5mesh" -o "$work/rig-embedded.gltf" --embed --scale 0.0254
"$md5tool" export "$source/tests/data/gltf/skeletons.md5mesh" -o "$work/skeletons.glb"
# The rig with its shader's image, a 2x2 TGA, which becomes a PNG beside the .gltf.
mkdir -p "$work/textured/models"
cp "$source/tests/data/rig/"*.md5* "$work/textured/"
printf '\0\0\2\0\0\0\0\0\0\0\0\0\2\0\2\0\30\40\0\0\377\0\377\0\377\0\0\377\377\377' >"$work/textured/models/body.tga"
"$md5tool" export "$work/textured/rig.md5mesh" -o "$work/textured.gltf"
"$md5tool" export "$work/textured/rig.md5mesh" -o "$work/textured.glb" --max-weights 4
# The robot of the sample game base, with its three maps (images beside a .gltf).
"$md5tool" export robot --base "$source/samples/game" -o "$work/game.glb"
"$md5tool" export robot --base "$source/samples/game" -o "$work/game.gltf"
"$(dirname "$md5tool")/make_quake_sample" "$source/samples/robot" "$work/quake" >/dev/null
"$md5tool" export progs/robot.mdl --base "$work/quake/id1" -o "$work/quake.glb"
"$md5tool" export models/robot/tris.md2 --base "$work/quake/baseq2" -o "$work/quake2.glb"
node "$source/tests/gltf/validate.mjs" "$work/robot.glb" "$work/rig.gltf" "$work/rig-embedded.gltf" \
  "$work/skeletons.glb" "$work/textured.gltf" "$work/textured.glb" "$work/game.glb" "$work/game.gltf" \
  "$work/quake.glb" "$work/quake2.glb"
