#include "anim/kernels.h"

#include <cmath>

namespace brmath {

namespace {

const DeformKernels kPlain = {&DeformMeshPlain};
#if defined(__SSE2__)
const DeformKernels kSse = {&DeformMeshSse};
#else
const DeformKernels kSse = kPlain;
#endif

#if defined(BRMATH_AVX_KERNELS)
const DeformKernels kAvx = {&DeformMeshAvx};
// The test covers the system too, which must save the wider registers on a thread
// switch. It runs while statics are set up, before the runtime would have looked.
const DeformKernels* const avx = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx") ? &kAvx : nullptr;
}();
#else
const DeformKernels* const avx = nullptr;
#endif

const DeformKernels* active = avx != nullptr ? avx : &kSse;

}  // namespace

const DeformKernels& PlainKernels() { return kPlain; }
const DeformKernels& SseKernels() { return kSse; }
const DeformKernels* AvxKernels() { return avx; }
const DeformKernels& FastKernels() { return avx != nullptr ? *avx : kSse; }
const DeformKernels& ActiveKernels() { return *active; }

void UseKernels(const DeformKernels& kernels) { active = &kernels; }

float HandednessThreshold() {
    static const float threshold = [] {
        float t = static_cast<float>(1e-6);
        if (static_cast<double>(t) < 1e-6) t = std::nextafter(t, 1.0f);
        return t;
    }();
    return threshold;
}

void DeformMeshPlain(Mesh& mesh, bool skin, const Joint* joints, PoseWorkspace&) {
    if (skin) SkinVerticesPlain(mesh, joints);
    ComputeVertexNormalsPlain(mesh);
    ComputeTangentFramesPlain(mesh);
}

// Meshes share nothing, so each is posed whole before the next.
void Actor::SkinVertices() {
    const DeformKernels& kernels = ActiveKernels();
    for (int32_t m = 0; m < meshCount; ++m) kernels.deformMesh(meshes[m], true, joints, workspace);
}

void Actor::ComputeNormalsAndTangents() {
    const DeformKernels& kernels = ActiveKernels();
    for (int32_t m = 0; m < meshCount; ++m) kernels.deformMesh(meshes[m], false, joints, workspace);
}

}  // namespace brmath
