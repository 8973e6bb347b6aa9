#!/usr/bin/env bash
# Builds the web module and the page into build/web (brmath.mjs, brmath-core.mjs,
# brmath.wasm, index.html and the page's scripts) with Debian's Emscripten.
#   build-web.sh [BUILD_DIR]   (default build/web-build)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=${1:-$root/build/web-build}
command -v emcmake >/dev/null || { echo "build-web.sh: Emscripten is not installed (bash scripts/setup.sh installs it)" >&2; exit 1; }
# Debian's Emscripten runs node tools that require acorn from Debian's node modules,
# and its library cache is read-only: a copy beside the build can take new variants.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
export EM_CACHE=$root/build/em-cache
if [ ! -d "$EM_CACHE" ]; then
  mkdir -p "$root/build"
  cp -r /usr/share/emscripten/cache "$EM_CACHE.partial" && mv "$EM_CACHE.partial" "$EM_CACHE"
fi
emcmake cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBRMATH_WEB_OUTPUT="$root/build/web" >"$build.configure.log" 2>&1 ||
  { tail -n 30 "$build.configure.log" >&2; exit 1; }
cmake --build "$build" >"$build.build.log" 2>&1 || { tail -n 30 "$build.build.log" >&2; exit 1; }
echo "$root/build/web"
