// The animation reader on any bytes, against the bundled robot's skeleton: a clip that
// is accepted is played at ordinary, negative and extreme frames.
#include <climits>
#include <cstddef>
#include <cstdint>

#include "actor/actor.h"
#include "fuzz_files.h"
#include "md5/read_failure.h"

namespace {

brmath::Actor& Skeleton() {
    static brmath::Actor* actor = [] {
        auto* loaded = new brmath::Actor;
        if (!loaded->LoadMesh(BRMATH_SAMPLE_MESH)) std::abort();
        return loaded;
    }();
    return *actor;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    brmath::Actor& actor = Skeleton();
    const std::string path = brmath_fuzz::WriteFile("input.md5anim", data, size);
    brmath::ReadFailure failure;
    if (!actor.LoadAnimation(path.c_str(), &failure)) return 0;
    actor.SetAnimation(actor.animationCount - 1);
    for (int frame : {0, 1, 7, -1, -13, INT_MAX, INT_MIN}) actor.ProceedAnimation(frame);
    // Keep the skeleton's clips as they were for the next input.
    brmath::ReleaseAnimation(actor.animations[actor.animationCount - 1]);
    --actor.animationCount;
    actor.currentAnimation = 0;
    return 0;
}
