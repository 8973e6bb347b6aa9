#!/usr/bin/env bash
# The Windows package as a user gets it: packaged from this build, unpacked into an
# empty folder, and a host written here is compiled against the package alone (its
# header and libBRMath.dll.a) and run under Wine beside the package's BRMath.dll.
# Usage: run_package_test.sh WINE MINGW_TRIPLE WINDOWS_BUILD SOURCE_DIR WORK_DIR
set -euo pipefail
wine=$1 triple=$2 build=$3 source=$4 work=$5
rm -rf "$work" && mkdir -p "$work/unpacked" "$work/host"
zip=$(bash "$source/scripts/package.sh" --windows-build "$build" --only windows --out "$work/dist")
(cd "$work/unpacked" && unzip -q "$zip")
package=$(echo "$work"/unpacked/BRMath-*)
echo "package: $(basename "$zip")"
(cd "$package" && find . -type f | sort)
for file in bin/BRMath.dll bin/md5tool.exe lib/BRMath.lib lib/libBRMath.dll.a lib/BRMath.def \
            include/brmath/brmath.h include/brmath/version.h README.md LICENSE CHANGELOG.md; do
  [ -f "$package/$file" ] || { echo "FAILED: the package lacks $file"; exit 1; }
done

cd "$work/host"
# One joint, one triangle: the reader needs no line breaks between records.
cat >rig.md5mesh <<'MESH'
MD5Version 10 numJoints 1 numMeshes 1 joints { "root" -1 ( 0 0 0 ) ( 0 0 0 ) }
mesh { shader "skin" numverts 3 vert 0 ( 0 0 ) 0 1 vert 1 ( 1 0 ) 1 1 vert 2 ( 0 1 ) 2 1 numtris 1 tri 0 0 1 2
  numweights 3 weight 0 0 1 ( 0 0 0 ) weight 1 0 1 ( 1 0 0 ) weight 2 0 1 ( 0 1 0 ) }
MESH
cat >host.c <<'HOST'
#include <stdio.h>
#include <windows.h>
#include "brmath/brmath.h"
int main(void) {
    BRVector2 sum, a = {1, 2}, b = {3, 4};
    HMODULE dll = LoadLibraryA("BRMath.dll");
    BRMATH_PFN_MD5_GetFrameCount frames = (BRMATH_PFN_MD5_GetFrameCount)GetProcAddress(dll, "MD5_GetFrameCount");
    const int slot = MD5_AddActor();
    const int ok = V2_Add(&sum, &a, &b) && sum.y == 6.0f && MD5_LoadActor(slot, "rig.md5mesh") == 1 &&
                   MD5_ProceedAnimation(slot, 0) && frames != NULL && frames(slot) == 0;
    printf("host against BRMath %s: %s\n", BRMATH_VERSION_STRING, ok ? "OK" : "FAILED");
    return ok ? 0 : 1;
}
HOST
"$triple-gcc" -I"$package/include" host.c "$package/lib/libBRMath.dll.a" -static -o host.exe
cp "$package/bin/BRMath.dll" .
"$wine" host.exe
"$wine" "$package/bin/md5tool.exe" check rig.md5mesh
