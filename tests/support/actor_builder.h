#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#include "actor/actor.h"
#include "base/allocation.h"

namespace brmath_test {

// Builds actors in memory, owned the way the readers own them,
// for tests of posing, normals and drawing that need no file.
struct MeshLayout {
    std::vector<brmath::Vector3> positions;
    std::vector<brmath::Vector2> texCoords;  // as stored: v already negated
    std::vector<std::array<int32_t, 3>> triangles;
};

template <typename T>
T* CopyToHeap(const std::vector<T>& items) {
    T* array = brmath::AllocateArray<T>(static_cast<int64_t>(items.size()));
    for (size_t i = 0; i < items.size(); ++i) array[i] = items[i];
    return array;
}

inline void AddMeshes(brmath::Actor& actor, const std::vector<MeshLayout>& layouts) {
    actor.meshCount = static_cast<int32_t>(layouts.size());
    actor.meshes = brmath::AllocateArray<brmath::Mesh>(actor.meshCount);
    for (size_t m = 0; m < layouts.size(); ++m) {
        const MeshLayout& layout = layouts[m];
        brmath::Mesh& mesh = actor.meshes[m];
        std::memset(&mesh, 0, sizeof(mesh));
        mesh.texture = -1;
        mesh.localTexture = -1;
        std::vector<brmath::MeshVertex> vertices(layout.positions.size());
        for (size_t v = 0; v < vertices.size(); ++v) {
            vertices[v] = brmath::MeshVertex{};
            vertices[v].position = layout.positions[v];
            if (v < layout.texCoords.size()) vertices[v].texCoord = layout.texCoords[v];
        }
        std::vector<brmath::MeshTriangle> triangles(layout.triangles.size());
        for (size_t t = 0; t < triangles.size(); ++t) {
            for (int c = 0; c < 3; ++c) triangles[t].indices[c] = layout.triangles[t][c];
        }
        mesh.vertexCount = static_cast<int32_t>(vertices.size());
        mesh.vertices = CopyToHeap(vertices);
        mesh.triangleCount = static_cast<int32_t>(triangles.size());
        mesh.triangles = CopyToHeap(triangles);
    }
}

}  // namespace brmath_test
