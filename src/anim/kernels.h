#pragma once

#include "actor/actor.h"

namespace brmath {

// The per-mesh work of posing, each in two forms that give identical bits: a plain
// path written as the formulas read, and a fast path that does four vertices or
// triangles at once with SSE, keeping every element's operations and their order.
struct DeformKernels {
    void (*skinVertices)(Mesh& mesh, const Joint* joints);
    void (*vertexNormals)(Mesh& mesh);
    void (*tangentFrames)(Mesh& mesh);
};

// The plain kernels; SSE kernels (the plain ones where SSE is missing); AVX kernels for
// normals and tangent frames, or null where the processor lacks AVX; and the fastest
// of these that the processor runs, which posing uses unless told otherwise.
const DeformKernels& PlainKernels();
const DeformKernels& SseKernels();
const DeformKernels* AvxKernels();
const DeformKernels& FastKernels();

void SkinVerticesPlain(Mesh& mesh, const Joint* joints);
void ComputeVertexNormalsPlain(Mesh& mesh);
void ComputeTangentFramesPlain(Mesh& mesh);
void SkinVerticesFast(Mesh& mesh, const Joint* joints);
void ComputeVertexNormalsFast(Mesh& mesh);
void ComputeTangentFramesFast(Mesh& mesh);
void ComputeVertexNormalsAvx(Mesh& mesh);
void ComputeTangentFramesAvx(Mesh& mesh);

// The kernels posing uses: the fast ones unless a test or benchmark chose otherwise.
const DeformKernels& ActiveKernels();
void UseKernels(const DeformKernels& kernels);

// The handedness test compares a float dot product, as computed, with the double 1e-6;
// for a float that is the same as comparing with the smallest float not below 1e-6.
float HandednessThreshold();

}  // namespace brmath
