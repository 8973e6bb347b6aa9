#include "support/reference_deformation.h"

using brmath::Cross;
using brmath::Dot;
using brmath::Mesh;
using brmath::MeshVertex;
using brmath::Vector3;

namespace brmath_test {

void ReferenceSkinVertices(brmath::Actor& actor) {
    for (int m = 0; m < actor.meshCount; ++m) {
        Mesh& mesh = actor.meshes[m];
        for (int v = 0; v < mesh.vertexCount; ++v) {
            MeshVertex& vertex = mesh.vertices[v];
            vertex.position.Set(0.0f, 0.0f, 0.0f);
            for (int k = 0; k < vertex.weightCount; ++k) {
                const brmath::MeshWeight& weight = mesh.weights[vertex.weightStart + k];
                const brmath::Joint& joint = actor.joints[weight.joint];
                const Vector3 placed = joint.matrix * weight.position;
                const Vector3 scaled = placed * weight.bias;
                vertex.position += scaled;
            }
        }
    }
    ReferenceNormalsAndTangents(actor);
}

void ReferenceNormalsAndTangents(brmath::Actor& actor) {
    for (int m = 0; m < actor.meshCount; ++m) {
        Mesh& mesh = actor.meshes[m];
        for (int v = 0; v < mesh.vertexCount; ++v) mesh.vertices[v].normal.Set(0.0f, 0.0f, 0.0f);
        for (int t = 0; t < mesh.triangleCount; ++t) {
            const int* index = mesh.triangles[t].indices;
            const Vector3 p0 = mesh.vertices[index[0]].position;
            const Vector3 p1 = mesh.vertices[index[1]].position;
            const Vector3 p2 = mesh.vertices[index[2]].position;
            const Vector3 e1(p1.x - p0.x, p1.y - p0.y, p1.z - p0.z);
            const Vector3 e2(-(p2.x - p0.x), -(p2.y - p0.y), -(p2.z - p0.z));
            const Vector3 face = Cross(e1, e2);
            mesh.vertices[index[0]].normal += face;
            mesh.vertices[index[1]].normal += face;
            mesh.vertices[index[2]].normal += face;
        }
        for (int v = 0; v < mesh.vertexCount; ++v) mesh.vertices[v].normal.Normalize();
    }
    for (int m = 0; m < actor.meshCount; ++m) {
        Mesh& mesh = actor.meshes[m];
        for (int t = 0; t < mesh.triangleCount; ++t) {
            const int* index = mesh.triangles[t].indices;
            MeshVertex* corners[3] = {&mesh.vertices[index[0]], &mesh.vertices[index[1]], &mesh.vertices[index[2]]};
            const Vector3 p0 = corners[0]->position, p1 = corners[1]->position, p2 = corners[2]->position;
            const float s0 = corners[0]->texCoord.x, t0 = corners[0]->texCoord.y;
            const float s1 = corners[1]->texCoord.x, t1 = corners[1]->texCoord.y;
            const float s2 = corners[2]->texCoord.x, t2 = corners[2]->texCoord.y;
            Vector3 tangent(0, 0, 0), bitangent(0, 0, 0), normal(0, 0, 0);
            Vector3 a(0.0f, s1 - s0, t1 - t0);
            Vector3 b(0.0f, s2 - s0, t2 - t0);
            for (int k = 0; k < 3; ++k) {
                a.x = p0[k] - p1[k];
                b.x = p0[k] - p2[k];
                const Vector3 c = Cross(a, b);
                tangent[k] = (-c.y) / c.x;
                bitangent[k] = (-c.z) / c.x;
            }
            tangent.Normalize();
            bitangent.Normalize();
            normal = Cross(tangent, bitangent);
            bitangent = Cross(normal, tangent);
            Vector3 f = Cross(p1 - p0, p2 - p0);
            f.Normalize();
            if (!(Dot(normal, f) >= 1e-6)) normal *= -1.0f;
            for (MeshVertex* corner : corners) {
                corner->tangent.Set(tangent);
                corner->bitangent.Set(bitangent);
                corner->tangentNormal.Set(normal);
            }
        }
    }
}

}  // namespace brmath_test
