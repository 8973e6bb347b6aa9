// Placing every vertex from its weights and the joints' current matrices.
#include "actor/actor.h"

namespace brmath {

void Actor::SkinVertices() {
    for (int32_t m = 0; m < meshCount; ++m) {
        Mesh& mesh = meshes[m];
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
    ComputeNormalsAndTangents();
}

}  // namespace brmath
