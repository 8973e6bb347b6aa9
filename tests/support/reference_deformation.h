#pragma once

#include "actor/actor.h"

namespace brmath_test {

// Skinning, normals and tangent frames written as plainly as the formulas read, step
// by step with the math library's own operations. The library's paths must give the
// same bits for every vertex.
void ReferenceSkinVertices(brmath::Actor& actor);
void ReferenceNormalsAndTangents(brmath::Actor& actor);

}  // namespace brmath_test
