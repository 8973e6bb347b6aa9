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
    // Read once: the stores below could alias the mesh as far as the compiler knows.
    const float* positions = workspace.positions;
    float* sums = workspace.normalSums;
    const MeshTriangle* triangles = mesh.triangles;
    const int32_t count = mesh.triangleCount;
    const __m128 signs = _mm_set1_ps(-0.0f);
    for (int32_t t = 0; t < count; ++t) {
        const int32_t* index = triangles[t].indices;
        float* sum0 = RowOf(sums, index[0]);
        float* sum1 = RowOf(sums, index[1]);
        float* sum2 = RowOf(sums, index[2]);
        const __m128 p0 = _mm_loadu_ps(RowOf(positions, index[0]));
        const __m128 e1 = _mm_sub_ps(_mm_loadu_ps(RowOf(positions, index[1])), p0);
        const __m128 e2 = _mm_xor_ps(_mm_sub_ps(_mm_loadu_ps(RowOf(positions, index[2])), p0), signs);
        // The cross product a row at a time: (y, z, x) * (z, x, y) - (z, x, y) * (y, z, x).
        const __m128 e1yzx = _mm_shuffle_ps(e1, e1, _MM_SHUFFLE(3, 0, 2, 1));
        const __m128 e1zxy = _mm_shuffle_ps(e1, e1, _MM_SHUFFLE(3, 1, 0, 2));
        const __m128 e2yzx = _mm_shuffle_ps(e2, e2, _MM_SHUFFLE(3, 0, 2, 1));
        const __m128 e2zxy = _mm_shuffle_ps(e2, e2, _MM_SHUFFLE(3, 1, 0, 2));
        const __m128 face = _mm_sub_ps(_mm_mul_ps(e1yzx, e2zxy), _mm_mul_ps(e1zxy, e2yzx));
        // Added to each corner in triangle order, x, y and z side by side.
        _mm_storeu_ps(sum0, _mm_add_ps(_mm_loadu_ps(sum0), face));
        _mm_storeu_ps(sum1, _mm_add_ps(_mm_loadu_ps(sum1), face));
        _mm_storeu_ps(sum2, _mm_add_ps(_mm_loadu_ps(sum2), face));
    }
}

void WriteVerticesFast(Mesh& mesh, const PoseWorkspace& workspace) {
    const float* positions = workspace.positions;
    const float* sums = workspace.normalSums;
    const float* frames = workspace.frames;
    MeshVertex* vertices = mesh.vertices;
    const int32_t* slots = mesh.frameSlots;
    const int32_t count = mesh.vertexCount;
    for (int32_t v = 0; v < count; v += 4) {
        const int lanes = count - v < 4 ? count - v : 4;
        const float* row[4];
        for (int lane = 0; lane < 4; ++lane) row[lane] = RowOf(sums, v + (lane < lanes ? lane : lanes - 1));
        Lanes3 normal = GatherRows(row[0], row[1], row[2], row[3]);
        NormalizeLanes(normal);
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
