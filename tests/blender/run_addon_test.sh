#!/usr/bin/env bash
# The Blender add-on as package.sh packages it, installed into a fresh Blender user
# folder and run headless (tests/blender/addon_test.py).
# Usage: run_addon_test.sh SOURCE_DIR MD5TOOL_STATIC WORK_DIR
set -euo pipefail
source=$1 md5tool=$2 work=$3
command -v blender >/dev/null || { echo "Blender is not installed: bash scripts/setup.sh installs it"; exit 1; }
rm -rf "$work" && mkdir -p "$work/user"
# The add-on's md5tool is linked whole: no shared library, whatever C library it meets.
if readelf -d "$md5tool" | grep -q NEEDED; then
  echo "FAILED: $md5tool needs shared libraries:"; readelf -d "$md5tool" | grep NEEDED; exit 1
fi
zip=$(bash "$source/scripts/package.sh" --only blender --linux-md5tool "$md5tool" --windows-md5tool none --out "$work")
echo "$zip: $(stat -c %s "$zip") bytes"
BLENDER_USER_CONFIG="$work/user/config" BLENDER_USER_SCRIPTS="$work/user/scripts" \
  blender -b --factory-startup --python-exit-code 1 --python "$source/tests/blender/addon_test.py" -- \
  "$zip" "$md5tool" "$source" "$work" 2>&1 |
  grep -vE "^(Read prefs|Blender quit|Info:|[0-9:]+ \| (INFO|ERROR: Draco)|glTF import finished|$)"
