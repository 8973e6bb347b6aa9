// Vertex normals: each face's unnormalised normal (twice its area) added to its three
// corners in triangle order, then normalised. The SSE2 form sums a triangle's x, y and
// z side by side into packed rows; WriteVerticesSse2 normalises them.
#include "anim/kernels.h"

#if defined(__SSE2__)
#include "anim/sse_lanes.h"
#endif

namespace brmath {

void ComputeVertexNormalsPlain(Mesh& mesh) {
    MeshVertex* vertices = mesh.vertices;
    for (int32_t v = 0; v < mesh.vertexCount; ++v) vertices[v].normal.Set(0.0f, 0.0f, 0.0f);
    for (int32_t t = 0; t < mesh.triangleCount; ++t) {
        const int32_t* index = mesh.triangles[t].indices;
        const Vector3& p0 = vertices[index[0]].position;
        const Vector3& p1 = vertices[index[1]].position;
        const Vector3& p2 = vertices[index[2]].position;
        const Vector3 e1(p1.x - p0.x, p1.y - p0.y, p1.z - p0.z);
        const Vector3 e2(-(p2.x - p0.x), -(p2.y - p0.y), -(p2.z - p0.z));
        // Unnormalised: each triangle weighs in with twice its area.
        const Vector3 face = Cross(e1, e2);
        vertices[index[0]].normal += face;
        vertices[index[1]].normal += face;
        vertices[index[2]].normal += face;
    }
    for (int32_t v = 0; v < mesh.vertexCount; ++v) vertices[v].normal.Normalize();
}

#if defined(__SSE2__)
void SumFaceNormalsSse2(const Mesh& mesh, PoseWorkspace& workspace) {
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

#endif

}  // namespace brmath
