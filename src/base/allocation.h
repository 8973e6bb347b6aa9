#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace brmath {

// Every heap array of a model goes through these, so that a test build can make the
// n-th allocation fail and check that each failure leaves an actor consistent.
void* AllocateBytes(size_t bytes);
void* ReallocateBytes(void* block, size_t bytes);
inline void FreeBytes(void* block) { std::free(block); }

// An array of exactly `count` elements, not zeroed; null for a count of 0 (the
// caller tells that apart from failure by the count) or when memory runs out.
template <typename T>
T* AllocateArray(int64_t count) {
    if (count <= 0) return nullptr;
    if (static_cast<uint64_t>(count) > SIZE_MAX / sizeof(T)) return nullptr;
    return static_cast<T*>(AllocateBytes(static_cast<size_t>(count) * sizeof(T)));
}

// Test hook: the allocation numbered `n` from now on (1 = the next one) fails;
// 0 turns failures off. Returns how many allocations were made since the last call.
int64_t FailAllocationAt(int64_t n);

}  // namespace brmath
