#pragma once

// Three-component vectors a pack of lanes at a time, for the fast paths: each lane does
// exactly what Vector3 does to one vector, in the same order. Pack is a type offering
// + - * /, Sqrt, NonZero (a lane mask) and Select(mask, whenSet, otherwise): four lanes
// in an SSE register, eight in two of them side by side, or eight in an AVX register.

// The helpers are small and called a few times per pack: calls would cost more than
// their bodies.
#if defined(__GNUC__)
#define BRMATH_LANES_INLINE inline __attribute__((always_inline))
#else
#define BRMATH_LANES_INLINE inline
#endif

namespace brmath {
// Internal linkage: a file built for a wider instruction set includes this too, and
// its copies must not stand in for these.
namespace {

template <typename Pack>
struct Vector3Lanes {
    Pack x, y, z;
};

template <typename Pack>
BRMATH_LANES_INLINE Vector3Lanes<Pack> Minus(const Vector3Lanes<Pack>& p, const Vector3Lanes<Pack>& q) {
    return {p.x - q.x, p.y - q.y, p.z - q.z};
}

template <typename Pack>
BRMATH_LANES_INLINE Vector3Lanes<Pack> Cross(const Vector3Lanes<Pack>& p, const Vector3Lanes<Pack>& q) {
    return {p.y * q.z - p.z * q.y, p.z * q.x - p.x * q.z, p.x * q.y - p.y * q.x};
}

// Vector3::Normalize: divide by the length unless it is zero or NaN.
template <typename Pack>
BRMATH_LANES_INLINE void Normalize(Vector3Lanes<Pack>& v) {
    const Pack length = Pack::Sqrt((v.x * v.x + v.y * v.y) + v.z * v.z);
    const Pack divide = Pack::NonZero(length);
    v.x = Pack::Select(divide, v.x / length, v.x);
    v.y = Pack::Select(divide, v.y / length, v.y);
    v.z = Pack::Select(divide, v.z / length, v.z);
}

}  // namespace
}  // namespace brmath
