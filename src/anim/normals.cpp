// Smooth vertex normals and per-triangle tangent frames from the skinned positions:
// the plain path.
#include "anim/kernels.h"

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

void ComputeTangentFramesPlain(Mesh& mesh) {
    MeshVertex* vertices = mesh.vertices;
    for (int32_t t = 0; t < mesh.triangleCount; ++t) {
        const int32_t* index = mesh.triangles[t].indices;
        MeshVertex& v0 = vertices[index[0]];
        MeshVertex& v1 = vertices[index[1]];
        MeshVertex& v2 = vertices[index[2]];
        const Vector3& p0 = v0.position;
        const Vector3& p1 = v1.position;
        const Vector3& p2 = v2.position;

        // For each axis k the cross product of a = (p0.k - p1.k, s1 - s0, t1 - t0) and
        // b = (p0.k - p2.k, s2 - s0, t2 - t0) gives T.k = -c.y / c.x and B.k = -c.z / c.x.
        // Corner 0 minus the other corner: T and B point the ways s and t fall. c.x, the
        // texture-space determinant, is the same for every axis.
        const float as = v1.texCoord.x - v0.texCoord.x, at = v1.texCoord.y - v0.texCoord.y;
        const float bs = v2.texCoord.x - v0.texCoord.x, bt = v2.texCoord.y - v0.texCoord.y;
        const float determinant = as * bt - at * bs;
        Vector3 tangent, bitangent;
        for (int k = 0; k < 3; ++k) {
            const float ax = p0[k] - p1[k];
            const float bx = p0[k] - p2[k];
            const float cy = at * bx - ax * bt;
            const float cz = ax * bs - as * bx;
            tangent[k] = (-cy) / determinant;
            bitangent[k] = (-cz) / determinant;
        }
        tangent.Normalize();
        bitangent.Normalize();
        Vector3 normal = Cross(tangent, bitangent);
        bitangent = Cross(normal, tangent);

        Vector3 face = Cross(p1 - p0, p2 - p0);
        face.Normalize();
        // The dot product is compared as computed with the double constant; NaN flips too.
        if (!(static_cast<double>(Dot(normal, face)) >= 1e-6)) normal *= -1.0f;

        MeshVertex* corners[3] = {&v0, &v1, &v2};
        for (MeshVertex* corner : corners) {
            corner->tangent.Set(tangent);
            corner->bitangent.Set(bitangent);
            corner->tangentNormal.Set(normal);
        }
    }
}

}  // namespace brmath
