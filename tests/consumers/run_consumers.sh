#!/usr/bin/env bash
# Three projects use BRMath as users would: through the CMake package and through
# pkg-config, both from a fresh install of this build into a temporary prefix, and by
# add_subdirectory of the source tree with default options and GoogleTest, CLI11 and
# nlohmann-json out of sight. Each builds the same small host and runs it on the rig.
# Usage: run_consumers.sh BUILD_DIR SOURCE_DIR WORK_DIR RIG_MESH
set -uo pipefail
build=$1 source=$2 work=$3 rig=$4
here=$(cd "$(dirname "$0")" && pwd)
failures=0
step() {
  local name=$1
  shift
  if "$@" >"$work/$name.log" 2>&1; then
    echo "ok: $name"
  else
    echo "FAILED: $name"
    tail -n 20 "$work/$name.log"
    failures=$((failures + 1))
  fi
}
rm -rf "$work" && mkdir -p "$work"
prefix="$work/prefix"
step install cmake --install "$build" --prefix "$prefix"

step find_package_configure cmake -S "$here/find_package" -B "$work/find_package" -G Ninja \
  -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_BUILD_TYPE=Release
step find_package_build cmake --build "$work/find_package"
step find_package_run "$work/find_package/consumer" "$rig"

export PKG_CONFIG_PATH="$prefix/lib/pkgconfig"
step pkg_config_build bash -c 'cc "$1" $(pkg-config --cflags brmath) -o "$2" $(pkg-config --libs brmath)' \
  build "$here/host.c" "$work/pkg_config_consumer"
step pkg_config_run env LD_LIBRARY_PATH="$prefix/lib" "$work/pkg_config_consumer" "$rig"

step subproject_configure cmake -S "$here/subproject" -B "$work/subproject" -G Ninja -DBRMATH_SOURCE_DIR="$source" \
  -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON -DCMAKE_DISABLE_FIND_PACKAGE_CLI11=ON \
  -DCMAKE_DISABLE_FIND_PACKAGE_nlohmann_json=ON -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON
step subproject_build cmake --build "$work/subproject" --target consumer
step subproject_run "$work/subproject/consumer" "$rig"

echo "consumers: $failures failed"
[ "$failures" -eq 0 ]
