#pragma once

#include <cstdint>

namespace brmath {

// The 32-byte vertex handed to the device: position, normal (both with y and z
// exchanged) and texture coordinates; flexible vertex format XYZ | NORMAL | TEX1.
struct RenderVertex {
    float position[3];
    float normal[3];
    float texCoord[2];
};
static_assert(sizeof(RenderVertex) == 32, "the device reads 32-byte vertices");

constexpr uint32_t kRenderVertexFormat = 0x112;
constexpr int32_t kMaxRenderVertices = 10000;
// The most triangles one draw takes from the buffer: 3333.
constexpr int32_t kMaxTrianglesPerDraw = kMaxRenderVertices / 3;

}  // namespace brmath
