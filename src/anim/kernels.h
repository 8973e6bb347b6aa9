#pragma once

#include "actor/actor.h"

namespace brmath {

// The per-mesh work of posing, each in two forms that give identical bits: a plain
// path written as the formulas read, and a fast path that does a vertex's three
// components or four triangles at once with SSE, keeping every element's operations
// and their order.
struct DeformKernels {
    void (*skinVertices)(Mesh& mesh, const Joint* joints);
    // Sums and normalises the vertex normals; clears them first unless `cleared` says
    // the skinning kernel already did (see below).
    void (*vertexNormals)(Mesh& mesh, bool cleared);
    void (*tangentFrames)(Mesh& mesh);
    // Whether skinVertices also sets every normal to (0, 0, 0), while the vertex is
    // at hand: a pass over all vertices saved.
    bool skinningClearsNormals;
};

// The plain kernels, and the fast ones (SSE; the plain ones where SSE is missing),
// which posing uses unless told otherwise. SSE2 is part of every x86-64 processor and
// of the 32-bit build's baseline, so nothing is chosen at run time. (Eight-wide AVX
// was measured slower here: its 256-bit divisions and gathers cost more than they save.)
const DeformKernels& PlainKernels();
const DeformKernels& FastKernels();

void SkinVerticesPlain(Mesh& mesh, const Joint* joints);
void ComputeVertexNormalsPlain(Mesh& mesh, bool cleared);
void ComputeTangentFramesPlain(Mesh& mesh);
void SkinVerticesFast(Mesh& mesh, const Joint* joints);
void ComputeVertexNormalsFast(Mesh& mesh, bool cleared);
void ComputeTangentFramesFast(Mesh& mesh);

// The kernels posing uses: the fast ones unless a test or benchmark chose otherwise.
const DeformKernels& ActiveKernels();
void UseKernels(const DeformKernels& kernels);

// The handedness test compares a float dot product, as computed, with the double 1e-6;
// for a float that is the same as comparing with the smallest float not below 1e-6.
float HandednessThreshold();

}  // namespace brmath
