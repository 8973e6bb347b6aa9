#!/usr/bin/env bash
# Builds tests/lld_host.c with clang for Microsoft's ABI, links it with lld-link against
# BRMath.lib, and runs it under Wine beside BRMath.dll.
# Usage: run_lld_host.sh WINE CLANG_TARGET BRMATH_DLL BRMATH_LIB KERNEL32_LIB SOURCE_DIR BINARY_DIR RIG
set -euo pipefail
wine=$1 target=$2 dll=$3 lib=$4 kernel32=$5 source=$6 binary=$7 rig=$8
work="$binary/lld_host"
rm -rf "$work" && mkdir -p "$work"
clang --target="$target" -ffreestanding -fno-builtin -fno-stack-protector -msse2 -O1 \
  -I"$source/include" -I"$binary/include" -DBRMATH_RIG="\"Z:$rig\"" -c "$source/tests/lld_host.c" -o "$work/lld_host.obj"
# MinGW-w64's kernel32 import objects carry no safe exception handler tables.
safeseh=()
[ "${target%%-*}" = i686 ] && safeseh=(/safeseh:no)
lld-link /nologo /subsystem:console /entry:HostEntry /nodefaultlib /stack:8388608 "${safeseh[@]}" /out:"$work/lld_host.exe" \
  "$work/lld_host.obj" "$lib" "$kernel32"
cp "$dll" "$work/"
status=0
"$wine" "$work/lld_host.exe" || status=$?
echo "lld_host: $status calls misbehaved"
exit "$status"
