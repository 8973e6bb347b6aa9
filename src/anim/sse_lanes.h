#pragma once

// Three-component vectors four at a time, one per SSE lane, for the fast kernels.
// Each lane does exactly what the plain path does to one vector, in the same order.
#include <emmintrin.h>
#include <xmmintrin.h>

#include <cstddef>
#include <cstdint>

namespace brmath {
// Internal linkage: a file built for a wider instruction set includes this too, and
// its copies must not stand in for these.
namespace {

struct Lanes3 {
    __m128 x, y, z;
};

// The row of four floats of item `index` (a vertex, or a frame triangle's quarter).
// Widened first, so that the address needs no 32-bit product and sign extension.
inline const float* RowOf(const float* rows, int32_t index) { return rows + 4 * static_cast<ptrdiff_t>(index); }
inline float* RowOf(float* rows, int32_t index) { return rows + 4 * static_cast<ptrdiff_t>(index); }

inline __m128 Negate(__m128 a) { return _mm_xor_ps(a, _mm_set1_ps(-0.0f)); }

inline __m128 Select(__m128 mask, __m128 whenSet, __m128 otherwise) {
    return _mm_or_ps(_mm_and_ps(mask, whenSet), _mm_andnot_ps(mask, otherwise));
}

// Vector3::Normalize: divide by the length unless it is zero or NaN.
inline void NormalizeLanes(Lanes3& v) {
    const __m128 length =
        _mm_sqrt_ps(_mm_add_ps(_mm_add_ps(_mm_mul_ps(v.x, v.x), _mm_mul_ps(v.y, v.y)), _mm_mul_ps(v.z, v.z)));
    const __m128 zero = _mm_setzero_ps();
    const __m128 divide = _mm_or_ps(_mm_cmplt_ps(length, zero), _mm_cmpgt_ps(length, zero));
    v.x = Select(divide, _mm_div_ps(v.x, length), v.x);
    v.y = Select(divide, _mm_div_ps(v.y, length), v.y);
    v.z = Select(divide, _mm_div_ps(v.z, length), v.z);
}

// The first three of the four floats at each of four rows, one row per lane.
inline Lanes3 GatherRows(const float* row0, const float* row1, const float* row2, const float* row3) {
    __m128 r0 = _mm_loadu_ps(row0), r1 = _mm_loadu_ps(row1);
    __m128 r2 = _mm_loadu_ps(row2), r3 = _mm_loadu_ps(row3);
    _MM_TRANSPOSE4_PS(r0, r1, r2, r3);
    return {r0, r1, r2};
}

// The other way round: lane i of x, y and z (and 0) as the four floats of rows[i].
inline void ScatterToRows(const Lanes3& v, __m128 rows[4]) {
    rows[0] = v.x;
    rows[1] = v.y;
    rows[2] = v.z;
    rows[3] = _mm_setzero_ps();
    _MM_TRANSPOSE4_PS(rows[0], rows[1], rows[2], rows[3]);
}

}  // namespace
}  // namespace brmath
