#include "anim/frame_triangles.h"

#include <algorithm>

#include "actor/allocation.h"

namespace brmath {

bool ListFrameTriangles(Mesh& mesh) {
    FreeBytes(mesh.frameTriangles);
    FreeBytes(mesh.frameSlots);
    mesh.frameTriangles = nullptr;
    mesh.frameTriangleCount = 0;
    mesh.frameSlots = nullptr;
    if (mesh.vertexCount == 0) return true;
    int32_t* slots = AllocateArray<int32_t>(mesh.vertexCount);
    int32_t* list = AllocateArray<int32_t>(mesh.triangleCount);
    if (slots == nullptr || (mesh.triangleCount > 0 && list == nullptr)) {
        FreeBytes(slots);
        FreeBytes(list);
        return false;
    }
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
    mesh.frameTriangles = list;
    mesh.frameTriangleCount = count;
    mesh.frameSlots = slots;
    return true;
}

}  // namespace brmath
