// The fast path's passes in order, for one mesh.
#include "anim/kernels.h"

namespace brmath {

#if defined(__SSE2__)
void DeformMeshFast(Mesh& mesh, bool skin, const Joint* joints, PoseWorkspace& workspace) {
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
    ComputeTangentFramesFast(mesh, workspace);
    WriteVerticesFast(mesh, workspace);
}
#endif

}  // namespace brmath
