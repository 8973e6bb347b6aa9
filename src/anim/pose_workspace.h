#pragma once

#include <cstdint>

namespace brmath {

// Scratch arrays the fast kernels pose a mesh through, packed so that the passes over
// triangles read and write small aligned rows instead of whole vertex records. An
// actor keeps one, sized for its largest mesh; nothing in it outlives a posing.
struct PoseWorkspace {
    float* positions = nullptr;   // four floats a vertex: x, y, z, unused
    float* normalSums = nullptr;  // four floats a vertex: the sum of its faces' normals
    float* frames = nullptr;      // twelve floats a frame triangle: tangent, bitangent, normal, unused
    int32_t vertexCapacity = 0;
    int32_t frameCapacity = 0;

    PoseWorkspace() = default;
    ~PoseWorkspace() { Release(); }
    PoseWorkspace(const PoseWorkspace&) = delete;
    PoseWorkspace& operator=(const PoseWorkspace&) = delete;

    // Room for `vertices` vertices and `frameTriangles` frame triangles, rounded up to
    // whole fours and eights (the steps the passes take); false when memory runs out
    // (the workspace then holds nothing).
    bool Reserve(int32_t vertices, int32_t frameTriangles);
    void Release();
};

}  // namespace brmath
