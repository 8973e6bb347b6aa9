// An actor's life: construction, release, and drawing.
#include "actor/actor.h"

#include "base/allocation.h"
#include "render/draw_meshes.h"

namespace brmath {

Actor::Actor() : animated(true), currentAnimation(0), loaded(false), posePath_(DefaultPosePath()) {}

Actor::Actor(const char* path) : Actor() { LoadMesh(path); }

Actor::~Actor() { Release(); }

void Actor::Release() {
    ForgetPosedKey();
    workspace_.Release();
    ReleasePrepared();
    ReleaseModel(*this);
    loaded = false;
}

Animation* Actor::GetAnimation(int index) {
    if (index < 0 || index >= animationCount) return nullptr;
    return &animations[index];
}

int32_t Actor::GetTriangleCount() const {
    uint32_t total = 0;  // wraps like the 32-bit sum it reports, without overflow
    for (int32_t i = 0; i < meshCount; ++i) total += static_cast<uint32_t>(meshes[i].triangleCount);
    return static_cast<int32_t>(total);
}

void Actor::TakeModel(ModelRecords& source) {
    Release();
    MoveModel(*this, source);
}

int32_t Actor::Render(IDirect3DDevice8* device) const {
    // The device may call back into the library; the model stays while it is drawn.
    struct DrawingScope {
        int32_t& count;
        explicit DrawingScope(int32_t& c) : count(c) { ++count; }
        ~DrawingScope() { --count; }
    } scope(drawing_);
    return DrawMeshes(meshes, meshCount, device);
}

}  // namespace brmath
