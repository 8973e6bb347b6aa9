#!/usr/bin/env bash
# How often md5tool opens each file: export of the two-skeleton model (a mesh and its
# clip) to .gltf with its buffer beside it, then import of that .gltf. Each input is
# opened once, and nothing is written outside the output folder (no scratch files).
# Usage: run_open_count.sh MD5TOOL OPEN_LOG_LIBRARY SOURCE_DIR WORK_DIR
set -uo pipefail
md5tool=$1 shim=$2 source=$3 work=$4
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }
rm -rf "$work" && mkdir -p "$work/model"
cp "$source"/tests/data/gltf/skeletons.md5mesh "$source"/tests/data/gltf/skeletons_wave.md5anim "$work/model/"

# Runs md5tool with every open logged to LOG; prints what was opened, a line a file.
opened() {
  local log=$1; shift
  rm -f "$log"
  LD_PRELOAD="$shim" BRMATH_OPEN_LOG="$log" "$md5tool" "$@" >/dev/null || fail "md5tool $* exits $?"
  sort "$log" | uniq -c | sed 's/^ */  /'
}
# Each input opened for reading exactly once; no write outside the output folder.
expect() {
  local log=$1 out=$2; shift 2
  for input in "$@"; do
    local count
    count=$(grep -cxF "read $input" "$log")
    [ "$count" = 1 ] || fail "$(basename "$input") opened $count times"
  done
  local stray
  stray=$(grep '^write ' "$log" | grep -v "^write $out/" || true)
  [ -z "$stray" ] || fail "written outside $out: $stray"
}

mkdir -p "$work/gltf"
echo "export: opens"
opened "$work/export.log" export "$work/model/skeletons.md5mesh" -o "$work/gltf/skeletons.gltf"
expect "$work/export.log" "$work/gltf" "$work/model/skeletons.md5mesh" "$work/model/skeletons_wave.md5anim"
echo "import: opens"
opened "$work/import.log" import "$work/gltf/skeletons.gltf" -o "$work/md5"
expect "$work/import.log" "$work/md5" "$work/gltf/skeletons.gltf" "$work/gltf/skeletons.bin"
[ -f "$work/md5/skeletons.md5mesh" ] || fail "import wrote no mesh"

[ "$failures" = 0 ] && echo "opens: each input once, nothing written outside the outputs' folders"
exit $((failures > 0))
