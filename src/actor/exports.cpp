// The seven functions a host calls. Each turns a slot index into its actor and
// forwards to one operation of it.
#define BRMATH_BUILDING_LIBRARY
#include "brmath/brmath.h"

#include "actor/actor_table.h"
#include "math/vector2.h"

using brmath::Actor;
using brmath::TheActorTable;

static_assert(sizeof(BRVector2) == sizeof(brmath::Vector2), "the C and C++ vectors share one layout");

extern "C" {

BRMATH_API bool BRMATH_CALL V2_Add(BRVector2* out, const BRVector2* a, const BRVector2* b) {
    try {
        if (out == nullptr || a == nullptr || b == nullptr) return false;
        // Read both components before writing: out may be a or b.
        const float x = a->x + b->x;
        const float y = a->y + b->y;
        out->x = x;
        out->y = y;
        return true;
    } catch (...) {
        return false;
    }
}

BRMATH_API int BRMATH_CALL MD5_AddActor(void) {
    try {
        brmath::ActorTable& table = TheActorTable();
        if (table.count >= brmath::kActorSlots) return -1;
        return table.count++;
    } catch (...) {
        return -1;
    }
}

BRMATH_API int BRMATH_CALL MD5_LoadActor(int slot, const char* path) {
    Actor* actor = TheActorTable().Find(slot);
    if (actor == nullptr || path == nullptr) return 0;
    return actor->LoadMesh(path) ? 1 : 0;
}

BRMATH_API int BRMATH_CALL MD5_RenderActor(int slot, struct IDirect3DDevice8* device) {
    Actor* actor = TheActorTable().Find(slot);
    if (actor == nullptr || device == nullptr) return 0;
    return actor->Render(device);
}

BRMATH_API bool BRMATH_CALL MD5_SetAnimation(int slot, int index) {
    Actor* actor = TheActorTable().Find(slot);
    if (actor == nullptr) return false;
    return actor->SetAnimation(index);
}

BRMATH_API bool BRMATH_CALL MD5_ProceedAnimation(int slot, int frame) {
    Actor* actor = TheActorTable().Find(slot);
    if (actor == nullptr) return false;
    actor->ProceedAnimation(frame);
    return true;
}

BRMATH_API int BRMATH_CALL MD5_GetFrameCount(int slot) {
    Actor* actor = TheActorTable().Find(slot);
    if (actor == nullptr || actor->animationCount <= 0) return 0;
    return actor->animations[0].frameCount;
}

}  // extern "C"
