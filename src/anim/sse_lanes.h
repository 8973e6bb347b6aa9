#pragma once

// SSE pieces of the fast paths: packed rows, four lanes in one register, and the
// transposes between rows and lanes. Each lane does exactly what the plain path does
// to one value, in the same order.
#include <emmintrin.h>
#include <xmmintrin.h>

#include <cstddef>
#include <cstdint>

#include "anim/lane_vectors.h"

namespace brmath {
// Internal linkage: a file built for a wider instruction set includes this too, and
// its copies must not stand in for these.
namespace {

// The row of four floats of item `index` (a vertex, or a frame triangle's quarter).
// Widened first, so that the address needs no 32-bit product and sign extension.
inline const float* RowOf(const float* rows, int32_t index) { return rows + 4 * static_cast<ptrdiff_t>(index); }
inline float* RowOf(float* rows, int32_t index) { return rows + 4 * static_cast<ptrdiff_t>(index); }

inline __m128 Negate(__m128 a) { return _mm_xor_ps(a, _mm_set1_ps(-0.0f)); }

inline __m128 Select(__m128 mask, __m128 whenSet, __m128 otherwise) {
    return _mm_or_ps(_mm_and_ps(mask, whenSet), _mm_andnot_ps(mask, otherwise));
}

// Ordered and not equal to zero (false for zero and for NaN), as (x < 0 || x > 0).
inline __m128 NonZero(__m128 x) {
    const __m128 zero = _mm_setzero_ps();
    return _mm_or_ps(_mm_cmplt_ps(x, zero), _mm_cmpgt_ps(x, zero));
}

// Four lanes in one register, for the lane-vector helpers.
struct SseFour {
    __m128 v;

    friend SseFour operator+(SseFour a, SseFour b) { return {_mm_add_ps(a.v, b.v)}; }
    friend SseFour operator-(SseFour a, SseFour b) { return {_mm_sub_ps(a.v, b.v)}; }
    friend SseFour operator*(SseFour a, SseFour b) { return {_mm_mul_ps(a.v, b.v)}; }
    friend SseFour operator/(SseFour a, SseFour b) { return {_mm_div_ps(a.v, b.v)}; }
    static SseFour Sqrt(SseFour a) { return {_mm_sqrt_ps(a.v)}; }
    static SseFour NonZero(SseFour a) { return {brmath::NonZero(a.v)}; }
    static SseFour Select(SseFour mask, SseFour whenSet, SseFour otherwise) {
        return {brmath::Select(mask.v, whenSet.v, otherwise.v)};
    }
};
using Lanes3 = Vector3Lanes<SseFour>;

// The first three of the four floats at each of four rows, one row per lane.
inline Lanes3 GatherRows(const float* row0, const float* row1, const float* row2, const float* row3) {
    __m128 r0 = _mm_loadu_ps(row0), r1 = _mm_loadu_ps(row1);
    __m128 r2 = _mm_loadu_ps(row2), r3 = _mm_loadu_ps(row3);
    _MM_TRANSPOSE4_PS(r0, r1, r2, r3);
    return {{r0}, {r1}, {r2}};
}

// The other way round: lane i of x, y and z (and 0) as the four floats of rows[i].
inline void ScatterToRows(const Lanes3& v, __m128 rows[4]) {
    rows[0] = v.x.v;
    rows[1] = v.y.v;
    rows[2] = v.z.v;
    rows[3] = _mm_setzero_ps();
    _MM_TRANSPOSE4_PS(rows[0], rows[1], rows[2], rows[3]);
}

}  // namespace
}  // namespace brmath
