#pragma once

// Posing one mesh: the job that skinning, normals and tangent frames make together.
#include "anim/pose_path.h"
#include "anim/pose_workspace.h"
#include "anim/prepared_mesh.h"
#include "model/model.h"

namespace brmath {

struct PoseInput {
    Mesh* mesh;                    // the mesh whose vertices are written
    const Joint* joints;           // skin from these joints' matrices; null: keep the positions
    const PreparedMesh* prepared;  // the mesh's prepared lists, for the SSE2 and AVX paths
};

// Poses the mesh along `path`: skins it (when joints are given), then computes its
// vertex normals and tangent frames. Every path gives the same bits. The SSE2 and AVX
// paths work through `workspace`; they take the plain path for a mesh that is not
// prepared or when the workspace cannot grow, and an unavailable path falls back to
// the next one down.
void PoseMesh(const PoseInput& input, PosePath path, PoseWorkspace& workspace);

}  // namespace brmath
