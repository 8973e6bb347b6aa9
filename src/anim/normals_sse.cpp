// Vertex normals with SSE: faces four at a time summed into packed rows, then the
// vertex records written in one pass, four normals normalised at a time.
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

void SumFaceNormalsFast(const Mesh& mesh, PoseWorkspace& workspace) {
    const float* positions = workspace.positions;
    float* sums = workspace.normalSums;
    const int32_t count = mesh.triangleCount;
    for (int32_t t = 0; t < count; t += 4) {
        const int lanes = count - t < 4 ? count - t : 4;
        // Lanes past the last triangle repeat it; their results are not used.
        const int32_t* corner[4];
        for (int lane = 0; lane < 4; ++lane) corner[lane] = mesh.triangles[t + (lane < lanes ? lane : lanes - 1)].indices;
        const Lanes3 p0 = GatherRows(positions + 4 * corner[0][0], positions + 4 * corner[1][0],
                                     positions + 4 * corner[2][0], positions + 4 * corner[3][0]);
        const Lanes3 p1 = GatherRows(positions + 4 * corner[0][1], positions + 4 * corner[1][1],
                                     positions + 4 * corner[2][1], positions + 4 * corner[3][1]);
        const Lanes3 p2 = GatherRows(positions + 4 * corner[0][2], positions + 4 * corner[1][2],
                                     positions + 4 * corner[2][2], positions + 4 * corner[3][2]);
        const Lanes3 e1 = Minus(p1, p0);
        const Lanes3 toP2 = Minus(p2, p0);
        const Lanes3 e2{Negate(toP2.x), Negate(toP2.y), Negate(toP2.z)};
        __m128 face[4];
        ScatterToRows(Cross(e1, e2), face);
        // Added to each corner in triangle order, x, y and z side by side.
        for (int lane = 0; lane < lanes; ++lane) {
            for (int c = 0; c < 3; ++c) {
                float* sum = sums + 4 * corner[lane][c];
                _mm_storeu_ps(sum, _mm_add_ps(_mm_loadu_ps(sum), face[lane]));
            }
        }
    }
}

void WriteVerticesFast(Mesh& mesh, const PoseWorkspace& workspace) {
    const float* positions = workspace.positions;
    const float* sums = workspace.normalSums;
    const int32_t count = mesh.vertexCount;
    for (int32_t v = 0; v < count; v += 4) {
        const int lanes = count - v < 4 ? count - v : 4;
        const float* row[4];
        for (int lane = 0; lane < 4; ++lane) row[lane] = sums + 4 * (v + (lane < lanes ? lane : lanes - 1));
        Lanes3 normal = GatherRows(row[0], row[1], row[2], row[3]);
        NormalizeLanes(normal);
        __m128 normals[4];
        ScatterToRows(normal, normals);
        for (int lane = 0; lane < lanes; ++lane) {
            MeshVertex& vertex = mesh.vertices[v + lane];
            // The position's fourth float lands on normal.x, written next.
            _mm_storeu_ps(FieldOf(vertex, kPosition), _mm_loadu_ps(positions + 4 * (v + lane)));
            _mm_storel_pi(reinterpret_cast<__m64*>(FieldOf(vertex, kNormal)), normals[lane]);
            _mm_store_ss(FieldOf(vertex, kNormal + 8), _mm_movehl_ps(normals[lane], normals[lane]));
            // A vertex no triangle uses keeps its tangent frame.
            const int32_t slot = mesh.frameSlots[v + lane];
            if (slot < 0) continue;
            const float* frame = workspace.frames + 12 * slot;
            _mm_storeu_ps(FieldOf(vertex, kFrame), _mm_loadu_ps(frame));
            _mm_storeu_ps(FieldOf(vertex, kFrame + 16), _mm_loadu_ps(frame + 4));
            _mm_store_ss(FieldOf(vertex, kFrame + 32), _mm_load_ss(frame + 8));
        }
    }
}

}  // namespace brmath
#endif
