// Tangent frames with AVX, eight lanes in one register. This file alone is built for
// AVX; posing calls it only where the processor and system offer AVX.
#if defined(BRMATH_AVX_KERNELS)
#include <immintrin.h>

#include "anim/tangent_frames_eight.h"

namespace brmath {

namespace {

struct AvxEight {
    __m256 v;

    friend AvxEight operator+(AvxEight x, AvxEight y) { return {_mm256_add_ps(x.v, y.v)}; }
    friend AvxEight operator-(AvxEight x, AvxEight y) { return {_mm256_sub_ps(x.v, y.v)}; }
    friend AvxEight operator*(AvxEight x, AvxEight y) { return {_mm256_mul_ps(x.v, y.v)}; }
    friend AvxEight operator/(AvxEight x, AvxEight y) { return {_mm256_div_ps(x.v, y.v)}; }
    static AvxEight Sqrt(AvxEight x) { return {_mm256_sqrt_ps(x.v)}; }
    static AvxEight Negate(AvxEight x) { return {_mm256_xor_ps(x.v, _mm256_set1_ps(-0.0f))}; }
    // Ordered and not equal: false for zero and for NaN, as (x < 0 || x > 0).
    static AvxEight NonZero(AvxEight x) { return {_mm256_cmp_ps(x.v, _mm256_setzero_ps(), _CMP_NEQ_OQ)}; }
    static AvxEight GreaterEqual(AvxEight x, AvxEight y) { return {_mm256_cmp_ps(x.v, y.v, _CMP_GE_OQ)}; }
    // With logic operations: GCC turns a blend on a comparison's mask into integer
    // lane work, which AVX (without AVX2) does a lane at a time.
    static AvxEight Select(AvxEight mask, AvxEight whenSet, AvxEight otherwise) {
        return {_mm256_or_ps(_mm256_and_ps(mask.v, whenSet.v), _mm256_andnot_ps(mask.v, otherwise.v))};
    }
    static AvxEight Splat(float s) { return {_mm256_set1_ps(s)}; }
    static AvxEight Join(__m128 low, __m128 high) { return {_mm256_set_m128(high, low)}; }
    static __m128 Low(AvxEight x) { return _mm256_castps256_ps128(x.v); }
    static __m128 High(AvxEight x) { return _mm256_extractf128_ps(x.v, 1); }
};

}  // namespace

void ComputeTangentFramesAvx(const Mesh& mesh, const PreparedMesh& prepared, PoseWorkspace& workspace) {
    TangentFramesEight<AvxEight>(mesh, prepared, workspace);
}

}  // namespace brmath
#endif
