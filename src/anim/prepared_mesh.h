#pragma once

#include <cstdint>

#include "model/model.h"

namespace brmath {

// What the fast paths derive from a mesh once and keep beside it: a vertex keeps the
// tangent frame of the last triangle that uses it, so only those triangles (the frame
// triangles) need one, and their texture-space terms never change.
struct PreparedMesh {
    // The frame triangles in triangle order, the list run on to a whole eight by
    // repeating its last triangle.
    int32_t* frameTriangles = nullptr;
    int32_t frameTriangleCount = 0;  // before the padding
    // For each vertex, the place of its triangle in that list; -1 when no triangle uses it.
    int32_t* frameSlots = nullptr;
    // For each four frame triangles, five rows of four floats (s1 - s0, t1 - t0,
    // s2 - s0, t2 - t0 and the determinant), a triangle per column.
    float* frameTexture = nullptr;
    bool ready = false;  // prepared (a mesh without vertices needs no lists)
    // The arrays it was made for: a mesh whose arrays were replaced is prepared again.
    const MeshVertex* madeForVertices = nullptr;
    const MeshTriangle* madeForTriangles = nullptr;
    int32_t madeForVertexCount = 0;
    int32_t madeForTriangleCount = 0;
};

// Whether `prepared` was made for the mesh's current arrays.
inline bool PreparedFor(const PreparedMesh& prepared, const Mesh& mesh) {
    return prepared.ready && prepared.madeForVertices == mesh.vertices && prepared.madeForTriangles == mesh.triangles &&
           prepared.madeForVertexCount == mesh.vertexCount && prepared.madeForTriangleCount == mesh.triangleCount;
}

// Prepares `prepared` for `mesh`; false when memory runs out (it then holds nothing).
bool PrepareMesh(const Mesh& mesh, PreparedMesh& prepared);
void ReleasePreparedMesh(PreparedMesh& prepared);

}  // namespace brmath
