#!/usr/bin/env bash
# The Blender add-on as package.sh packages it, installed into a fresh Blender user
# folder and run headless (tests/blender/addon_test.py), in this machine's Blender or
# in the Blender of a Debian root that setup made. Where Blender has extensions, the
# zip is first checked by Blender's own `extension validate`.
# Usage: run_addon_test.sh SOURCE_DIR MD5TOOL_STATIC WORK_DIR [ROOT ROOTS_NOTE]
set -euo pipefail
source=$1 md5tool=$2 work=$3 root=${4:-} note=${5:-}
blender=(blender)
if [ -n "$root" ]; then
  if [ ! -x "$root/usr/bin/blender" ]; then
    echo "FAILED: no Blender in the Debian root $root; setup said:"
    grep -h "^$(basename "$root"):" "$note" 2>/dev/null || echo "  nothing (run scripts/setup.sh)"
    exit 1
  fi
  blender=(bash "$source/scripts/in-root.sh" "$root" --bind "$source" --bind "$(dirname "$md5tool")" --bind "$work"
           -- blender)
fi
command -v blender >/dev/null || [ -n "$root" ] || { echo "Blender is not installed: bash scripts/setup.sh installs it"; exit 1; }
rm -rf "$work" && mkdir -p "$work/user"
# The add-on's md5tool is linked whole: no shared library, whatever C library it meets.
if readelf -d "$md5tool" | grep -q NEEDED; then
  echo "FAILED: $md5tool needs shared libraries:"; readelf -d "$md5tool" | grep NEEDED; exit 1
fi
zip=$(bash "$source/scripts/package.sh" --only blender --linux-md5tool "$md5tool" --windows-md5tool none --out "$work")
echo "$zip: $(stat -c %s "$zip") bytes"
version=$("${blender[@]}" --version 2>/dev/null | sed -nE 's/^Blender ([0-9]+)\.([0-9]+).*/\1 \2/p' | head -n 1)
read -r major minor <<<"$version"
echo "Blender $major.$minor"
export BLENDER_USER_CONFIG="$work/user/config" BLENDER_USER_SCRIPTS="$work/user/scripts"
export BLENDER_USER_EXTENSIONS="$work/user/extensions"
if [ "$major" -gt 4 ] || { [ "$major" -eq 4 ] && [ "$minor" -ge 2 ]; }; then
  validated=$("${blender[@]}" --factory-startup --command extension validate "$zip" 2>&1) ||
    { echo "FAILED: Blender's extension validate: $validated"; exit 1; }
  echo "$validated" | tail -n 1
fi
"${blender[@]}" -b --factory-startup --python-exit-code 1 --python "$source/tests/blender/addon_test.py" -- \
  "$zip" "$md5tool" "$source" "$work" 2>&1 |
  grep -vE "^(Read prefs|Blender quit|Info: [^:]*$|[0-9:]+ \| (INFO|ERROR: Draco)|glTF import finished|$)"
