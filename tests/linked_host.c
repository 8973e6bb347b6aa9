/* A host in C that calls the seven functions by name, linked through an import
 * library (libBRMath.dll.a) or the shared library; no run-time loading.
 * Usage: linked_host RIG_MESH_PATH */
#include "host_calls.h"

int main(int argc, char** argv) {
    const BRMathFunctions functions = {V2_Add,           MD5_AddActor,         MD5_LoadActor,    MD5_RenderActor,
                                       MD5_SetAnimation, MD5_ProceedAnimation, MD5_GetFrameCount};
    if (argc != 2) {
        fprintf(stderr, "usage: linked_host RIG_MESH_PATH\n");
        return 2;
    }
    CheckCalls(&functions, argv[1]);
    printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
