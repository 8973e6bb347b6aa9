// The fast path's passes in order, for one mesh.
#include "anim/kernels.h"

namespace brmath {

#if defined(__SSE2__)
namespace {

void DeformThroughWorkspace(Mesh& mesh, bool skin, const Joint* joints, PoseWorkspace& workspace,
                            void (*tangentFrames)(const Mesh&, PoseWorkspace&)) {
    const bool listed = mesh.vertexCount == 0 || mesh.frameSlots != nullptr;
    if (!listed || !workspace.Reserve(mesh.vertexCount, mesh.frameTriangleCount)) {
        DeformMeshPlain(mesh, skin, joints, workspace);
        return;
    }
    if (skin) {
        SkinIntoWorkspace(mesh, joints, workspace);
    } else {
        CopyPositionsIntoWorkspace(mesh, workspace);
    }
    SumFaceNormalsFast(mesh, workspace);
    tangentFrames(mesh, workspace);
    WriteVerticesFast(mesh, workspace);
}

}  // namespace

void DeformMeshSse(Mesh& mesh, bool skin, const Joint* joints, PoseWorkspace& workspace) {
    DeformThroughWorkspace(mesh, skin, joints, workspace, &ComputeTangentFramesFast);
}
#endif

#if defined(BRMATH_AVX_KERNELS)
void DeformMeshAvx(Mesh& mesh, bool skin, const Joint* joints, PoseWorkspace& workspace) {
    DeformThroughWorkspace(mesh, skin, joints, workspace, &ComputeTangentFramesAvx);
}
#endif

}  // namespace brmath
