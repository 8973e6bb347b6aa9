// Skinning with SSE: the x, y and z of a weight's placed point are computed side by
// side, each lane with exactly the plain path's products and sums in the same order.
// It also clears each vertex's normal for the normals pass that follows.
#if defined(__SSE2__)
#include <emmintrin.h>

#include "anim/kernels.h"

namespace brmath {

void SkinVerticesFast(Mesh& mesh, const Joint* joints) {
    const MeshWeight* weights = mesh.weights;
    for (int32_t v = 0; v < mesh.vertexCount; ++v) {
        MeshVertex& vertex = mesh.vertices[v];
        __m128 position = _mm_setzero_ps();
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
        _mm_storel_pi(reinterpret_cast<__m64*>(&vertex.position.x), position);
        _mm_store_ss(&vertex.position.z, _mm_movehl_ps(position, position));
        // The normals pass starts from zero: clear it while the vertex is at hand.
        vertex.normal.x = 0.0f;
        vertex.normal.y = 0.0f;
        vertex.normal.z = 0.0f;
    }
}

}  // namespace brmath
#endif
