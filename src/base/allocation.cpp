#include "base/allocation.h"

namespace brmath {

namespace {

int64_t allocationsMade = 0;
int64_t failingAllocation = 0;

bool ShouldFail() {
    ++allocationsMade;
    return failingAllocation != 0 && allocationsMade == failingAllocation;
}

}  // namespace

void* AllocateBytes(size_t bytes) {
    if (ShouldFail()) return nullptr;
    return std::malloc(bytes);
}

void* ReallocateBytes(void* block, size_t bytes) {
    if (ShouldFail()) return nullptr;
    return std::realloc(block, bytes);
}

int64_t FailAllocationAt(int64_t n) {
    const int64_t made = allocationsMade;
    allocationsMade = 0;
    failingAllocation = n;
    return made;
}

}  // namespace brmath
