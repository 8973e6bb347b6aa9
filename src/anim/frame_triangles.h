#pragma once

#include "actor/actor.h"

namespace brmath {

// Fills a mesh's frameTriangles, frameSlots and frameTexture from its triangles and
// texture coordinates: a vertex keeps the tangent frame of the last triangle that
// uses it, so only those triangles need one. False when memory runs out (the mesh
// then has none of the lists).
bool ListFrameTriangles(Mesh& mesh);

// Frees those lists and leaves the mesh without them.
void ReleaseFrameLists(Mesh& mesh);

}  // namespace brmath
