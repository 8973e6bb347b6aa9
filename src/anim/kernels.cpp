#include "anim/kernels.h"

#include <cmath>

namespace brmath {

namespace {

const DeformKernels kPlain = {&DeformMeshPlain};
#if defined(__SSE2__)
const DeformKernels kFast = {&DeformMeshFast};
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
