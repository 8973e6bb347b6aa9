#!/usr/bin/env bash
# scripts/setup.sh against an archive that misbehaves, with stand-ins for apt-get and
# dpkg: an index that never downloads is done without, a package that cannot be
# installed is named and costs only itself, a Debian root that cannot be made is named,
# and only the demo's set is required.
# Usage: run_setup_test.sh SOURCE_DIR WORK_DIR
set -uo pipefail
source=$1 work=$2
rm -rf "$work" && mkdir -p "$work/bin" "$work/tree/scripts" "$work/tree/tests/gltf"
cp "$source/scripts/setup.sh" "$work/tree/scripts/"
stand_in() { printf '#!/bin/sh\n%s\n' "$2" >"$work/bin/$1" && chmod +x "$work/bin/$1"; }
stand_in dpkg-query 'exit 1'  # nothing is installed
stand_in dpkg 'exit 0'
stand_in sudo 'exec "$@"'
stand_in sleep 'exit 0'
stand_in npm 'echo "npm ERR! registry unreachable"; exit 1'
stand_in debootstrap 'echo "E: Failed getting release file http://archive/dists/$2/Release" >&2; exit 1'
# update fails as a mirror in mid-sync does; install fails for the packages in $FAIL.
stand_in apt-get 'case "$1" in
  update) echo "E: Failed to fetch http://archive/i386/Packages.xz  File has unexpected size (1 != 2). Mirror sync in progress?" >&2; exit 100 ;;
  install) shift; for p; do case " $FAIL " in *" $p "*) echo "E: Unable to locate package $p" >&2; exit 100 ;; esac; done; exit 0 ;;
esac'
failed=0
expect() {
  local what=$1 status=$2 text=$3 fail=$4
  local output code
  output=$(cd "$work" && PATH="$work/bin:$PATH" FAIL="$fail" BRMATH_ROOTS="$work/roots" bash tree/scripts/setup.sh 2>&1)
  code=$?
  if [ "$code" -ne "$status" ] || ! grep -qF -- "$text" <<<"$output"; then
    echo "FAILED: $what: exit $code (expected $status), output:"
    echo "$output" | sed 's/^/  /'
    failed=1
  else
    echo "ok: $what"
  fi
}
expect "an index that fails twice is done without" 0 "apt-get update failed twice; using the package lists that did arrive" ""
expect "a test package that cannot be had is named" 0 "could not install qemu-user-static" "qemu-user-static"
expect "a missing validator is said" 0 "could not install the Khronos glTF validator" ""
expect "a root that cannot be made is named" 0 "root unstable: not made: E: Failed getting release file http://archive/dists/sid/Release" ""
expect "the demo's set is required" 1 "the native toolchain and md5tool's libraries could not be installed" "cmake"
exit "$failed"
