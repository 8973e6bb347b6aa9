#include "anim/prepared_mesh.h"

#include <algorithm>

#include "base/allocation.h"

namespace brmath {

namespace {

// The texture-space terms of the tangent frame, as the plain path computes them, for
// the listed triangles and the padding after them.
void FillFrameTexture(const Mesh& mesh, PreparedMesh& prepared, int64_t padded) {
    for (int64_t item = 0; item < padded; ++item) {
        float* rows = prepared.frameTexture + 20 * (item / 4);
        const int64_t lane = item % 4;
        const int32_t* index = mesh.triangles[prepared.frameTriangles[item]].indices;
        const Vector2& st0 = mesh.vertices[index[0]].texCoord;
        const Vector2& st1 = mesh.vertices[index[1]].texCoord;
        const Vector2& st2 = mesh.vertices[index[2]].texCoord;
        const float as = st1.x - st0.x, at = st1.y - st0.y;
        const float bs = st2.x - st0.x, bt = st2.y - st0.y;
        rows[lane] = as;
        rows[4 + lane] = at;
        rows[8 + lane] = bs;
        rows[12 + lane] = bt;
        rows[16 + lane] = as * bt - at * bs;
    }
}

}  // namespace

void ReleasePreparedMesh(PreparedMesh& prepared) {
    FreeBytes(prepared.frameTriangles);
    FreeBytes(prepared.frameSlots);
    FreeBytes(prepared.frameTexture);
    prepared = PreparedMesh{};
}

namespace {

bool Ready(const Mesh& mesh, PreparedMesh& prepared) {
    prepared.madeForVertices = mesh.vertices;
    prepared.madeForTriangles = mesh.triangles;
    prepared.madeForVertexCount = mesh.vertexCount;
    prepared.madeForTriangleCount = mesh.triangleCount;
    return prepared.ready = true;
}

}  // namespace

bool PrepareMesh(const Mesh& mesh, PreparedMesh& prepared) {
    ReleasePreparedMesh(prepared);
    if (mesh.vertexCount == 0) return Ready(mesh, prepared);
    prepared.frameSlots = AllocateArray<int32_t>(mesh.vertexCount);
    prepared.frameTriangles = AllocateArray<int32_t>(mesh.triangleCount);
    if (prepared.frameSlots == nullptr || (mesh.triangleCount > 0 && prepared.frameTriangles == nullptr)) {
        ReleasePreparedMesh(prepared);
        return false;
    }
    int32_t* slots = prepared.frameSlots;
    int32_t* list = prepared.frameTriangles;
    std::fill(slots, slots + mesh.vertexCount, -1);
    // Backwards, the first triangle to reach a vertex is its last: number them as found,
    // then turn the list and the numbers around into triangle order.
    int32_t count = 0;
    for (int32_t t = mesh.triangleCount - 1; t >= 0; --t) {
        bool last = false;
        for (int32_t index : mesh.triangles[t].indices) {
            if (slots[index] < 0) {
                slots[index] = count;
                last = true;
            }
        }
        if (last) list[count++] = t;
    }
    std::reverse(list, list + count);
    for (int32_t v = 0; v < mesh.vertexCount; ++v) {
        if (slots[v] >= 0) slots[v] = count - 1 - slots[v];
    }
    prepared.frameTriangleCount = count;
    if (count == 0) return Ready(mesh, prepared);
    // Run the list on to a whole eight, repeating the last triangle, so that posing
    // takes eight at a time without a shorter last step; give back the rest.
    const int64_t padded = (static_cast<int64_t>(count) + 7) / 8 * 8;
    void* resized = ReallocateBytes(list, static_cast<size_t>(padded) * sizeof(int32_t));
    if (resized == nullptr && padded > mesh.triangleCount) {
        ReleasePreparedMesh(prepared);
        return false;
    }
    if (resized != nullptr) prepared.frameTriangles = list = static_cast<int32_t*>(resized);
    std::fill(list + count, list + padded, list[count - 1]);
    prepared.frameTexture = AllocateArray<float>(20 * (padded / 4));
    if (prepared.frameTexture == nullptr) {
        ReleasePreparedMesh(prepared);
        return false;
    }
    FillFrameTexture(mesh, prepared, padded);
    return Ready(mesh, prepared);
}

}  // namespace brmath
