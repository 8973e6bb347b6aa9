/* What the C hosts check of the seven functions, however they reach them: through
 * run-time loading or through an import library. */
#ifndef BRMATH_TEST_HOST_CALLS_H
#define BRMATH_TEST_HOST_CALLS_H

#include <stdio.h>

#include "brmath/brmath.h"

typedef struct BRMathFunctions {
    BRMATH_PFN_V2_Add v2Add;
    BRMATH_PFN_MD5_AddActor addActor;
    BRMATH_PFN_MD5_LoadActor loadActor;
    BRMATH_PFN_MD5_RenderActor renderActor;
    BRMATH_PFN_MD5_SetAnimation setAnimation;
    BRMATH_PFN_MD5_ProceedAnimation proceedAnimation;
    BRMATH_PFN_MD5_GetFrameCount getFrameCount;
} BRMathFunctions;

static int passed = 0, failed = 0;

static void Check(int condition, const char* what) {
    if (condition) {
        ++passed;
    } else {
        ++failed;
        fprintf(stderr, "FAILED: %s\n", what);
    }
}

/* Calls every function on a fresh library; rig is the tests' two-joint rig. */
static void CheckCalls(const BRMathFunctions* f, const char* rig) {
    BRVector2 out, a = {1, 2}, b = {3, -5};
    int slot;
    Check(f->v2Add(&out, &a, &b) && out.x == 4.0f && out.y == -3.0f, "V2_Add");
    Check(!f->v2Add(NULL, &a, &b), "V2_Add refuses a null pointer");
    slot = f->addActor();
    Check(slot == 0, "the first slot is 0");
    Check(f->addActor() == 1, "the second slot is 1");
    Check(f->loadActor(slot, "no-such-file.md5mesh") == 0, "a missing file does not load");
    Check(f->loadActor(slot, rig) == 1, "the rig loads");
    Check(f->getFrameCount(slot) == 2, "the first clip has 2 frames");
    Check(f->setAnimation(slot, 1), "clip 1 exists");
    Check(!f->setAnimation(slot, 2), "clip 2 does not");
    Check(f->proceedAnimation(slot, 25), "posing");
    Check(f->getFrameCount(slot) == 2, "the frame count stays the first clip's");
    Check(f->renderActor(slot, NULL) == 0, "a null device draws nothing");
    Check(f->loadActor(40, rig) == 0, "slot 40 does not exist");
    Check(!f->proceedAnimation(-1, 0), "slot -1 does not exist");
}

#endif /* BRMATH_TEST_HOST_CALLS_H */
