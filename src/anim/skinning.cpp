// Skinning: every vertex placed from its weights and the joints' current matrices.
// Each contribution is rounded to float before it is added, in weight order; the SSE2
// form computes x, y and z of a placed point side by side, each lane with exactly the
// plain form's products and sums, and clears the normal sums while the vertex is at hand.
#include <cstddef>

#include "anim/kernels.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace brmath {

void SkinVerticesPlain(Mesh& mesh, const Joint* joints) {
    const MeshWeight* weights = mesh.weights;
    for (int32_t v = 0; v < mesh.vertexCount; ++v) {
        MeshVertex& vertex = mesh.vertices[v];
        vertex.position.Set(0.0f, 0.0f, 0.0f);
        const MeshWeight* weight = weights + vertex.weightStart;
        for (int32_t k = 0; k < vertex.weightCount; ++k, ++weight) {
            // Each contribution is rounded to float before it is added, in weight order.
            const Vector3 placed = joints[weight->joint].matrix * weight->position;
            vertex.position += placed * weight->bias;
        }
    }
}

#if defined(__SSE2__)
void SkinIntoWorkspaceSse2(const Mesh& mesh, const Joint* joints, PoseWorkspace& workspace) {
    // Read once: the stores below could alias the mesh as far as the compiler knows.
    const MeshWeight* weights = mesh.weights;
    const MeshVertex* vertices = mesh.vertices;
    const int32_t count = mesh.vertexCount;
    float* positions = workspace.positions;
    float* sums = workspace.normalSums;
    const __m128 zero = _mm_setzero_ps();
    for (int32_t v = 0; v < count; ++v) {
        const MeshVertex& vertex = vertices[v];
        __m128 position = zero;
        const MeshWeight* weight = weights + vertex.weightStart;
        for (int32_t k = 0; k < vertex.weightCount; ++k, ++weight) {
            const float* m = joints[weight->joint].matrix.m;
            // ((x * m0 + y * m4) + z * m8) + m12, and the same for the other two rows.
            __m128 placed = _mm_add_ps(_mm_mul_ps(_mm_set1_ps(weight->position.x), _mm_loadu_ps(m)),
                                       _mm_mul_ps(_mm_set1_ps(weight->position.y), _mm_loadu_ps(m + 4)));
            placed = _mm_add_ps(placed, _mm_mul_ps(_mm_set1_ps(weight->position.z), _mm_loadu_ps(m + 8)));
            placed = _mm_add_ps(placed, _mm_loadu_ps(m + 12));
            position = _mm_add_ps(position, _mm_mul_ps(placed, _mm_set1_ps(weight->bias)));
        }
        _mm_storeu_ps(positions + 4 * static_cast<ptrdiff_t>(v), position);
        _mm_storeu_ps(sums + 4 * static_cast<ptrdiff_t>(v), zero);
    }
}

void CopyPositionsIntoWorkspaceSse2(const Mesh& mesh, PoseWorkspace& workspace) {
    float* positions = workspace.positions;
    float* sums = workspace.normalSums;
    for (int32_t v = 0; v < mesh.vertexCount; ++v) {
        const Vector3& p = mesh.vertices[v].position;
        _mm_storeu_ps(positions + 4 * v, _mm_set_ps(0.0f, p.z, p.y, p.x));
        _mm_storeu_ps(sums + 4 * v, _mm_setzero_ps());
    }
}

#endif

}  // namespace brmath
