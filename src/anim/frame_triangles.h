#pragma once

#include "actor/actor.h"

namespace brmath {

// Fills a mesh's frameTriangles and frameSlots from its triangles: a vertex keeps the
// tangent frame of the last triangle that uses it, so only those triangles need one.
// False when memory runs out (the mesh then has neither list).
bool ListFrameTriangles(Mesh& mesh);

}  // namespace brmath
