#include "anim/pose_mesh.h"

#include "anim/kernels.h"

namespace brmath {

namespace {

void PosePlain(const PoseInput& input) {
    Mesh& mesh = *input.mesh;
    if (input.joints != nullptr) SkinVerticesPlain(mesh, input.joints);
    ComputeVertexNormalsPlain(mesh);
    ComputeTangentFramesPlain(mesh);
}

#if defined(__SSE2__)
// The fast passes in order: positions and cleared sums, face normals summed into the
// corners, the frame triangles' tangent frames, then one pass over the vertex records.
void PoseThroughWorkspace(const PoseInput& input, PosePath path, PoseWorkspace& workspace) {
    Mesh& mesh = *input.mesh;
    const PreparedMesh& prepared = *input.prepared;
    if (input.joints != nullptr) {
        SkinIntoWorkspaceSse2(mesh, input.joints, workspace);
    } else {
        CopyPositionsIntoWorkspaceSse2(mesh, workspace);
    }
    SumFaceNormalsSse2(mesh, workspace);
#if defined(BRMATH_AVX_KERNELS)
    if (path == PosePath::kAvx) {
        ComputeTangentFramesAvx(mesh, prepared, workspace);
    } else {
        ComputeTangentFramesSse2(mesh, prepared, workspace);
    }
#else
    (void)path;
    ComputeTangentFramesSse2(mesh, prepared, workspace);
#endif
    WriteVerticesSse2(mesh, prepared, workspace);
}
#endif

}  // namespace

void PoseMesh(const PoseInput& input, PosePath path, PoseWorkspace& workspace) {
    if (path == PosePath::kAvx && !PosePathAvailable(path)) path = PosePath::kSse2;
    if (path == PosePath::kSse2 && !PosePathAvailable(path)) path = PosePath::kPlain;
    const Mesh& mesh = *input.mesh;
    const bool prepared = input.prepared != nullptr && input.prepared->ready;
    if (path == PosePath::kPlain || !prepared ||
        !workspace.Reserve(mesh.vertexCount, input.prepared->frameTriangleCount)) {
        PosePlain(input);
        return;
    }
#if defined(__SSE2__)
    PoseThroughWorkspace(input, path, workspace);
#endif
}

}  // namespace brmath
