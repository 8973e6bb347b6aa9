#pragma once

#include <string>

namespace brmath_bench {

// Writes a large model into `folder`: a tube of `meshes` meshes, about 100 000
// vertices, 200 000 triangles and 300 000 weights in all (28 MB of mesh text) over a
// 64-joint spine, and one 200-frame clip that bends it. Returns the mesh file's path.
std::string WriteLargeModel(const std::string& folder, int meshes = 4);

}  // namespace brmath_bench
