#pragma once

// Comparing what posing wrote, to the bit: vertices, and whole actors.
#include <cmath>
#include <cstring>
#include <vector>

#include "actor/actor.h"

namespace brmath_test {

// Every vertex of an actor, mesh after mesh.
inline std::vector<brmath::MeshVertex> Snapshot(const brmath::Actor& actor) {
    std::vector<brmath::MeshVertex> all;
    for (int m = 0; m < actor.meshCount; ++m) {
        all.insert(all.end(), actor.meshes[m].vertices, actor.meshes[m].vertices + actor.meshes[m].vertexCount);
    }
    return all;
}

// How many of the two lists' floats differ in their bits. With `anyNaN`, a NaN
// matches any NaN: which of two NaN operands an operation passes on is the
// compiler's choice, not the formula's. A difference in length counts as one.
inline int VertexBitDifferences(const std::vector<brmath::MeshVertex>& a, const std::vector<brmath::MeshVertex>& b,
                                bool anyNaN = false) {
    static_assert(sizeof(brmath::MeshVertex) % sizeof(float) == 0, "a vertex is a run of 32-bit fields");
    if (a.size() != b.size()) return 1;
    const size_t words = a.size() * sizeof(brmath::MeshVertex) / sizeof(float);
    const float* x = reinterpret_cast<const float*>(a.data());
    const float* y = reinterpret_cast<const float*>(b.data());
    int differences = 0;
    for (size_t i = 0; i < words; ++i) {
        if (std::memcmp(&x[i], &y[i], sizeof(float)) != 0 && !(anyNaN && std::isnan(x[i]) && std::isnan(y[i]))) {
            ++differences;
        }
    }
    return differences;
}

inline bool SameBits(const std::vector<brmath::MeshVertex>& a, const std::vector<brmath::MeshVertex>& b) {
    return VertexBitDifferences(a, b) == 0;
}

// Two actors in the same state: every joint matrix and every vertex, to the bit.
inline bool SameActorBits(const brmath::Actor& a, const brmath::Actor& b) {
    if (a.jointCount != b.jointCount) return false;
    for (int j = 0; j < a.jointCount; ++j) {
        if (std::memcmp(&a.joints[j].matrix, &b.joints[j].matrix, sizeof(brmath::Matrix4)) != 0) return false;
    }
    return SameBits(Snapshot(a), Snapshot(b));
}

}  // namespace brmath_test
