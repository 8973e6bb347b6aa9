/* A consumer of an installed or embedded BRMath: adds two vectors, loads the mesh
 * named on the command line and poses it. Prints "consumer: OK" when all works. */
#include <stdio.h>

#include "brmath/brmath.h"

#if BRMATH_VERSION_MAJOR < 1
#error "BRMath's version macros are missing"
#endif

int main(int argc, char** argv) {
    BRVector2 sum, a = {1, 2}, b = {3, 4};
    const int slot = MD5_AddActor();
    if (argc != 2 || !V2_Add(&sum, &a, &b) || sum.x != 4.0f || slot != 0 || MD5_LoadActor(slot, argv[1]) != 1 ||
        !MD5_ProceedAnimation(slot, 1)) {
        printf("consumer: FAILED\n");
        return 1;
    }
    printf("consumer: OK, BRMath %s, %d frames in the first clip\n", BRMATH_VERSION_STRING, MD5_GetFrameCount(slot));
    return 0;
}
