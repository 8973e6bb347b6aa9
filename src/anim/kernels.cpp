#include "anim/kernels.h"

#include <cmath>

namespace brmath {

namespace {

constexpr DeformKernels kPlain = {&DeformMeshPlain};
#if defined(__SSE2__)
constexpr DeformKernels kSse = {&DeformMeshSse};
#else
constexpr DeformKernels kSse = kPlain;
#endif

#if defined(BRMATH_AVX_KERNELS)
constexpr DeformKernels kAvx = {&DeformMeshAvx};
#endif

// Set by UseKernels; until then posing takes the fastest kernels. Nothing here waits
// for a static constructor, so posing from another file's static constructors works.
const DeformKernels* chosen = nullptr;

}  // namespace

const DeformKernels& PlainKernels() { return kPlain; }
const DeformKernels& SseKernels() { return kSse; }

const DeformKernels* AvxKernels() {
#if defined(BRMATH_AVX_KERNELS)
    // The test covers the system too, which must save the wider registers on a thread
    // switch. Asked once; the processor's features are read first, in case this runs
    // before the runtime's own static constructors did.
    static const DeformKernels* const avx = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx") ? &kAvx : nullptr;
    }();
    return avx;
#else
    return nullptr;
#endif
}

const DeformKernels& FastKernels() {
    const DeformKernels* avx = AvxKernels();
    return avx != nullptr ? *avx : kSse;
}

const DeformKernels& ActiveKernels() { return chosen != nullptr ? *chosen : FastKernels(); }

void UseKernels(const DeformKernels& kernels) { chosen = &kernels; }

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
