// The vertex write of the fast paths: one pass over the vertex records, four at a
// time, normalising four normals together and writing position, normal and the
// tangent frame of the vertex's frame triangle.
#if defined(__SSE2__)
#include <cstddef>

#include "anim/kernels.h"
#include "anim/sse_lanes.h"

namespace brmath {

namespace {

// Positions, normal and tangent frame follow one another in a vertex: one run of floats.
constexpr size_t kPosition = offsetof(MeshVertex, position);
constexpr size_t kNormal = offsetof(MeshVertex, normal);
constexpr size_t kFrame = offsetof(MeshVertex, tangent);
static_assert(kNormal == kPosition + 12 && kFrame == kNormal + 12 &&
                  offsetof(MeshVertex, bitangent) == kFrame + 12 &&
                  offsetof(MeshVertex, tangentNormal) == kFrame + 24 && sizeof(MeshVertex) == kFrame + 36,
              "a vertex ends with position, normal and tangent frame, fifteen floats in a row");

float* FieldOf(MeshVertex& vertex, size_t offset) {
    return reinterpret_cast<float*>(reinterpret_cast<char*>(&vertex) + offset);
}

}  // namespace

void WriteVerticesSse2(Mesh& mesh, const PreparedMesh& prepared, const PoseWorkspace& workspace) {
    const float* positions = workspace.positions;
    const float* sums = workspace.normalSums;
    const float* frames = workspace.frames;
    MeshVertex* vertices = mesh.vertices;
    const int32_t* slots = prepared.frameSlots;
    const int32_t count = mesh.vertexCount;
    for (int32_t v = 0; v < count; v += 4) {
        const int lanes = count - v < 4 ? count - v : 4;
        const float* row[4];
        for (int lane = 0; lane < 4; ++lane) row[lane] = RowOf(sums, v + (lane < lanes ? lane : lanes - 1));
        Lanes3 normal = GatherRows(row[0], row[1], row[2], row[3]);
        Normalize(normal);
        __m128 normals[4];
        ScatterToRows(normal, normals);
        for (int lane = 0; lane < lanes; ++lane) {
            MeshVertex& vertex = vertices[v + lane];
            // The position's fourth float lands on normal.x, written next.
            _mm_storeu_ps(FieldOf(vertex, kPosition), _mm_loadu_ps(RowOf(positions, v + lane)));
            _mm_storel_pi(reinterpret_cast<__m64*>(FieldOf(vertex, kNormal)), normals[lane]);
            _mm_store_ss(FieldOf(vertex, kNormal + 8), _mm_movehl_ps(normals[lane], normals[lane]));
            // A vertex no triangle uses keeps its tangent frame.
            const int32_t slot = slots[v + lane];
            if (slot < 0) continue;
            const float* frame = RowOf(frames, 3 * slot);
            _mm_storeu_ps(FieldOf(vertex, kFrame), _mm_loadu_ps(frame));
            _mm_storeu_ps(FieldOf(vertex, kFrame + 16), _mm_loadu_ps(frame + 4));
            _mm_store_ss(FieldOf(vertex, kFrame + 32), _mm_load_ss(frame + 8));
        }
    }
}

}  // namespace brmath
#endif
