/* A host without any C runtime, compiled for Microsoft's ABI and linked by lld-link
 * against BRMath.lib (and kernel32 for ExitProcess): every call goes through the COFF
 * import library. Exits with the number of calls that misbehaved. BRMATH_RIG is the
 * path of the tests' two-joint rig. */
#include "brmath/brmath.h"

__declspec(dllimport) void __stdcall ExitProcess(unsigned int code);

/* The C runtime would define it: code that uses floating point refers to it. */
int _fltused = 0;

void HostEntry(void) {
    BRVector2 out, a = {1, 2}, b = {3, -5};
    unsigned int failures = 0;
    const int slot = MD5_AddActor();
    failures += !(V2_Add(&out, &a, &b) && out.x == 4.0f && out.y == -3.0f);
    failures += slot != 0;
    failures += MD5_LoadActor(slot, BRMATH_RIG) != 1;
    failures += MD5_GetFrameCount(slot) != 2;
    failures += !MD5_SetAnimation(slot, 1);
    failures += !MD5_ProceedAnimation(slot, 3);
    failures += MD5_RenderActor(slot, 0) != 0;
    ExitProcess(failures);
}
