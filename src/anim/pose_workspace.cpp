#include "anim/pose_workspace.h"

#include <cstdint>

#include "base/allocation.h"

namespace brmath {

namespace {

int64_t RoundUp(int32_t count, int64_t step) { return (static_cast<int64_t>(count) + step - 1) / step * step; }

}  // namespace

bool PoseWorkspace::Reserve(int32_t vertices, int32_t frameTriangles) {
    if (vertices <= vertexCapacity && frameTriangles <= frameCapacity) return true;
    const int64_t vertexRoom = RoundUp(vertices > vertexCapacity ? vertices : vertexCapacity, 4);
    const int64_t frameRoom = RoundUp(frameTriangles > frameCapacity ? frameTriangles : frameCapacity, 8);
    Release();
    if (vertexRoom > INT32_MAX || frameRoom > INT32_MAX) return false;
    // One block: positions, normal sums, frames.
    float* block = AllocateArray<float>(4 * vertexRoom + 4 * vertexRoom + 12 * frameRoom);
    if (block == nullptr) return false;
    positions = block;
    normalSums = block + 4 * vertexRoom;
    frames = normalSums + 4 * vertexRoom;
    vertexCapacity = static_cast<int32_t>(vertexRoom);
    frameCapacity = static_cast<int32_t>(frameRoom);
    return true;
}

void PoseWorkspace::Release() {
    FreeBytes(positions);
    positions = nullptr;
    normalSums = nullptr;
    frames = nullptr;
    vertexCapacity = 0;
    frameCapacity = 0;
}

}  // namespace brmath
