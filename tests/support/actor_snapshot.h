#pragma once

#include <cstring>
#include <vector>

#include "actor/actor.h"

namespace brmath_test {

// Every vertex of an actor, mesh after mesh, for comparing whole actors.
inline std::vector<brmath::MeshVertex> Snapshot(const brmath::Actor& actor) {
    std::vector<brmath::MeshVertex> all;
    for (int m = 0; m < actor.meshCount; ++m) {
        all.insert(all.end(), actor.meshes[m].vertices, actor.meshes[m].vertices + actor.meshes[m].vertexCount);
    }
    return all;
}

inline bool SameBits(const std::vector<brmath::MeshVertex>& a, const std::vector<brmath::MeshVertex>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(brmath::MeshVertex)) == 0;
}

}  // namespace brmath_test
