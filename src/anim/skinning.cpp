// Placing every vertex from its weights and the joints' current matrices: the plain path.
#include "anim/kernels.h"

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

}  // namespace brmath
