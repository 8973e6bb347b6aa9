#pragma once

// The passes that pose a mesh, each in the forms that give the same bits: Plain,
// written as the formulas read, on the vertex records; Sse2 (and Avx), through the
// packed rows of a PoseWorkspace, several vertices or triangles at once. One file per
// algorithm holds its forms side by side; the Avx form has a file of its own because
// only that file is compiled for AVX.
#include "anim/pose_workspace.h"
#include "anim/prepared_mesh.h"
#include "model/model.h"

namespace brmath {

// skinning.cpp: every vertex placed from its weights and the joints' matrices.
void SkinVerticesPlain(Mesh& mesh, const Joint* joints);
// Into the workspace's positions, clearing its normal sums; or the positions the
// vertices already have, copied there.
void SkinIntoWorkspaceSse2(const Mesh& mesh, const Joint* joints, PoseWorkspace& workspace);
void CopyPositionsIntoWorkspaceSse2(const Mesh& mesh, PoseWorkspace& workspace);

// vertex_normals.cpp: each face's normal added to its corners, then normalised.
void ComputeVertexNormalsPlain(Mesh& mesh);
// Only the sums, into the workspace; WriteVerticesSse2 normalises them.
void SumFaceNormalsSse2(const Mesh& mesh, PoseWorkspace& workspace);

// tangent_frames.cpp, tangent_frames_avx.cpp: each triangle's tangent frame, written to
// its corners (the plain form) or, for the frame triangles, into the workspace.
void ComputeTangentFramesPlain(Mesh& mesh);
void ComputeTangentFramesSse2(const Mesh& mesh, const PreparedMesh& prepared, PoseWorkspace& workspace);
void ComputeTangentFramesAvx(const Mesh& mesh, const PreparedMesh& prepared, PoseWorkspace& workspace);
// The handedness test compares a float dot product, as computed, with the double 1e-6;
// for a float that is the same as comparing with the smallest float not below 1e-6.
float HandednessThreshold();

// vertex_write.cpp: one pass over the vertex records, writing the workspace's
// positions, normalised normals and the tangent frames of their frame triangles.
void WriteVerticesSse2(Mesh& mesh, const PreparedMesh& prepared, const PoseWorkspace& workspace);

}  // namespace brmath
