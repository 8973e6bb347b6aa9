#include "anim/kernels.h"

#include <cmath>

namespace brmath {

namespace {

const DeformKernels kPlain = {&SkinVerticesPlain, &ComputeVertexNormalsPlain, &ComputeTangentFramesPlain};
#if defined(__SSE2__)
const DeformKernels kSse = {&SkinVerticesFast, &ComputeVertexNormalsFast, &ComputeTangentFramesFast};
#else
const DeformKernels kSse = kPlain;
#endif
#if defined(BRMATH_HAVE_AVX_KERNELS)
const DeformKernels kAvx = {&SkinVerticesFast, &ComputeVertexNormalsAvx, &ComputeTangentFramesAvx};
#endif

const DeformKernels* active = nullptr;

}  // namespace

const DeformKernels& PlainKernels() { return kPlain; }
const DeformKernels& SseKernels() { return kSse; }

const DeformKernels* AvxKernels() {
#if defined(BRMATH_HAVE_AVX_KERNELS)
    // The one place that asks the processor; the DLL must run on any SSE2 processor.
    static const bool available = __builtin_cpu_supports("avx");
    return available ? &kAvx : nullptr;
#else
    return nullptr;
#endif
}

const DeformKernels& FastKernels() {
    const DeformKernels* avx = AvxKernels();
    return avx != nullptr ? *avx : kSse;
}

const DeformKernels& ActiveKernels() {
    if (active == nullptr) active = &FastKernels();
    return *active;
}

void UseKernels(const DeformKernels& kernels) { active = &kernels; }

float HandednessThreshold() {
    static const float threshold = [] {
        float t = static_cast<float>(1e-6);
        if (static_cast<double>(t) < 1e-6) t = std::nextafter(t, 1.0f);
        return t;
    }();
    return threshold;
}

void Actor::SkinVertices() {
    const DeformKernels& kernels = ActiveKernels();
    for (int32_t m = 0; m < meshCount; ++m) kernels.skinVertices(meshes[m], joints);
    ComputeNormalsAndTangents();
}

void Actor::ComputeNormalsAndTangents() {
    // Every mesh's normals are complete before any tangent frame is written.
    const DeformKernels& kernels = ActiveKernels();
    for (int32_t m = 0; m < meshCount; ++m) kernels.vertexNormals(meshes[m]);
    for (int32_t m = 0; m < meshCount; ++m) kernels.tangentFrames(meshes[m]);
}

}  // namespace brmath
