#include "anim/kernels.h"

#include <cmath>

namespace brmath {

namespace {

const DeformKernels kPlain = {&SkinVerticesPlain, &ComputeVertexNormalsPlain, &ComputeTangentFramesPlain, false};
#if defined(__SSE2__)
const DeformKernels kFast = {&SkinVerticesFast, &ComputeVertexNormalsFast, &ComputeTangentFramesFast, true};
#else
const DeformKernels kFast = kPlain;
#endif

const DeformKernels* active = &kFast;

}  // namespace

const DeformKernels& PlainKernels() { return kPlain; }
const DeformKernels& FastKernels() { return kFast; }
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

namespace {

void NormalsAndTangents(Actor& actor, const DeformKernels& kernels, bool cleared) {
    // Every mesh's normals are complete before any tangent frame is written.
    for (int32_t m = 0; m < actor.meshCount; ++m) kernels.vertexNormals(actor.meshes[m], cleared);
    for (int32_t m = 0; m < actor.meshCount; ++m) kernels.tangentFrames(actor.meshes[m]);
}

}  // namespace

void Actor::SkinVertices() {
    const DeformKernels& kernels = ActiveKernels();
    for (int32_t m = 0; m < meshCount; ++m) kernels.skinVertices(meshes[m], joints);
    NormalsAndTangents(*this, kernels, kernels.skinningClearsNormals);
}

void Actor::ComputeNormalsAndTangents() { NormalsAndTangents(*this, ActiveKernels(), false); }

}  // namespace brmath
