#pragma once

#include "actor/actor.h"
#include "anim/pose_workspace.h"

namespace brmath {

// Posing one mesh: skinning, vertex normals, tangent frames. Paths that give identical
// bits: a plain one written as the formulas read, and a fast one that works through
// packed scratch rows with SSE (tangent frames with AVX where offered), several
// vertices or triangles at once, keeping every element's operations and their order.
struct DeformKernels {
    // Skins the mesh from the joints' matrices where `skin` says so (otherwise keeps
    // the positions it has), then computes its vertex normals and tangent frames.
    void (*deformMesh)(Mesh& mesh, bool skin, const Joint* joints, PoseWorkspace& workspace);
};

// The plain kernels; the SSE ones (the plain ones where SSE is missing: SSE2 is part
// of every x86-64 processor and of the 32-bit build's baseline); the AVX ones, which
// differ only in computing tangent frames eight to a register (null unless built in,
// on x86-64, and offered by this processor and system); and the fastest of these,
// which posing uses unless told otherwise.
const DeformKernels& PlainKernels();
const DeformKernels& SseKernels();
const DeformKernels* AvxKernels();
const DeformKernels& FastKernels();

// The kernels posing uses: the fast ones unless a test or benchmark chose otherwise.
const DeformKernels& ActiveKernels();
void UseKernels(const DeformKernels& kernels);

// The plain path, a kernel at a time.
void SkinVerticesPlain(Mesh& mesh, const Joint* joints);
void ComputeVertexNormalsPlain(Mesh& mesh);
void ComputeTangentFramesPlain(Mesh& mesh);
void DeformMeshPlain(Mesh& mesh, bool skin, const Joint* joints, PoseWorkspace& workspace);

// The fast path, a pass at a time over the workspace: positions (skinned, or copied
// from the vertices) with the normal sums cleared; the faces' normals summed into
// their corners; the frame triangles' tangent frames; and last one pass over the
// vertex records that writes positions, normalised normals and tangent frames.
void SkinIntoWorkspace(const Mesh& mesh, const Joint* joints, PoseWorkspace& workspace);
void CopyPositionsIntoWorkspace(const Mesh& mesh, PoseWorkspace& workspace);
void SumFaceNormalsFast(const Mesh& mesh, PoseWorkspace& workspace);
void ComputeTangentFramesFast(const Mesh& mesh, PoseWorkspace& workspace);
void ComputeTangentFramesAvx(const Mesh& mesh, PoseWorkspace& workspace);
void WriteVerticesFast(Mesh& mesh, const PoseWorkspace& workspace);
// Both fall back to the plain path for a mesh without frame lists or when the
// workspace cannot grow.
void DeformMeshSse(Mesh& mesh, bool skin, const Joint* joints, PoseWorkspace& workspace);
void DeformMeshAvx(Mesh& mesh, bool skin, const Joint* joints, PoseWorkspace& workspace);

// The handedness test compares a float dot product, as computed, with the double 1e-6;
// for a float that is the same as comparing with the smallest float not below 1e-6.
float HandednessThreshold();

}  // namespace brmath
