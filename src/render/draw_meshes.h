#pragma once

#include <cstdint>

#include "model/model.h"
#include "platform/device.h"

namespace brmath {

// Draws each mesh as triangle lists: batches of at most 3333 triangles from a
// 10000-vertex buffer, each a SetVertexShader(0x112) and a DrawPrimitiveUP call, with
// y and z exchanged for a y-up device. Returns 3 x the last mesh's triangle count; 0
// for a null device or no meshes.
int32_t DrawMeshes(const Mesh* meshes, int32_t meshCount, IDirect3DDevice8* device);

}  // namespace brmath
