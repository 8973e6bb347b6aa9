#!/usr/bin/env bash
# Writes the release packages into dist/ (or --out DIR):
#   BRMath-<version>-win32.zip  BRMath.dll, md5tool.exe, BRMath.lib, libBRMath.dll.a,
#                               BRMath.def, the headers, the CMake and pkg-config files,
#                               README.md, LICENSE, CHANGELOG.md
#   BRMath-<version>-linux-<arch>.tar.gz  the installed tree and the same documents
#   io_scene_md5-<version>.zip  the Blender add-on, with md5tool for Windows (md5tool.exe, as
#                               the Windows package has it) and for x86-64 Linux (linked whole)
#   BRMath-<version>-web.zip    the web page (index.html, the module, three.js, the sample):
#                               any static web host serves it as it is (give .wasm the
#                               type application/wasm)
# Builds what it packages (in build/package-*), or takes existing builds:
#   package.sh [--windows-build DIR] [--linux-build DIR] [--only windows|linux|web|blender] [--out DIR]
#              [--linux-md5tool FILE] [--windows-md5tool FILE]   (the add-on's md5tools, else built)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
out="$root/dist" windows_build="" linux_build="" only="" linux_md5tool="" windows_md5tool=""
while [ $# -gt 0 ]; do
  case "$1" in
    --windows-build) windows_build=$2; shift 2 ;;
    --linux-build) linux_build=$2; shift 2 ;;
    --only) only=$2; shift 2 ;;
    --linux-md5tool) linux_md5tool=$2; shift 2 ;;
    --windows-md5tool) windows_md5tool=$2; shift 2 ;;
    --out) out=$2; shift 2 ;;
    *) echo "package.sh: unknown option $1" >&2; exit 2 ;;
  esac
done
version=$(sed -nE 's/^project\(BRMath VERSION ([0-9.]+).*/\1/p' CMakeLists.txt)
mkdir -p "$out"
staging=$(mktemp -d)
trap 'rm -rf "$staging"' EXIT

build() {  # build DIR [cmake arguments...]
  local dir=$1
  shift
  cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBRMATH_BUILD_TESTS=OFF \
    -DBRMATH_BUILD_EXAMPLES=OFF "$@" >/dev/null
  cmake --build "$dir" >/dev/null
}

# stage NAME BUILD_DIR: the installed tree and the documents in $staging/NAME.
stage() {
  cmake --install "$2" --prefix "$staging/$1" >/dev/null
  cp README.md LICENSE CHANGELOG.md "$staging/$1/"
}

wants() { [ -z "$only" ] || [ "$only" = "$1" ]; }
if wants windows || { wants blender && [ -z "$windows_md5tool" ]; }; then
  if [ -z "$windows_build" ]; then
    windows_build="$root/build/package-win32"
    build "$windows_build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake"
  fi
  if grep -q "x86_64-w64-mingw32" "$windows_build/CMakeCache.txt"; then
    windows="BRMath-$version-win64"
  else
    windows="BRMath-$version-win32"
  fi
  [ -n "$windows_md5tool" ] || windows_md5tool="$windows_build/tools/md5tool.exe"
  if wants windows; then
    stage "$windows" "$windows_build"
    rm -f "$out/$windows.zip"
    (cd "$staging" && zip -qr "$out/$windows.zip" "$windows")
    echo "$out/$windows.zip"
  fi
fi
if wants web && [ -z "$only" ] && ! command -v emcmake >/dev/null; then
  echo "package.sh: Emscripten is not installed (bash scripts/setup.sh web): the web page is not packaged" >&2
elif wants web; then
  bash "$root/scripts/build-web.sh" >/dev/null
  rm -rf "$staging/BRMath-$version-web" && cp -r "$root/build/web" "$staging/BRMath-$version-web"
  rm -f "$out/BRMath-$version-web.zip"
  (cd "$staging" && zip -qr "$out/BRMath-$version-web.zip" "BRMath-$version-web")
  echo "$out/BRMath-$version-web.zip"
fi
if wants linux || { wants blender && [ -z "$linux_md5tool" ]; }; then
  if [ -z "$linux_build" ]; then
    linux_build="$root/build/package-linux"
    build "$linux_build"
  fi
  [ -n "$linux_md5tool" ] || linux_md5tool="$linux_build/tools/md5tool_static"
  if wants linux; then
    linux="BRMath-$version-linux-$(uname -m)"
    stage "$linux" "$linux_build"
    tar -C "$staging" -czf "$out/$linux.tar.gz" "$linux"
    echo "$out/$linux.tar.gz"
  fi
fi
if wants blender; then
  addon="$staging/addon/io_scene_md5"
  mkdir -p "$addon/bin/linux-x86_64" "$addon/bin/windows"
  cp tools/blender/io_scene_md5/__init__.py LICENSE "$addon/"
  # The extension's manifest carries the project's version.
  sed -E "s/^version = \".*\"/version = \"$version\"/" tools/blender/io_scene_md5/blender_manifest.toml \
    >"$addon/blender_manifest.toml"
  cp "$linux_md5tool" "$addon/bin/linux-x86_64/md5tool"
  [ -f "$windows_md5tool" ] && cp "$windows_md5tool" "$addon/bin/windows/md5tool.exe"
  rm -f "$out/io_scene_md5-$version.zip"
  (cd "$staging/addon" && zip -qr "$out/io_scene_md5-$version.zip" io_scene_md5)
  echo "$out/io_scene_md5-$version.zip"
fi
