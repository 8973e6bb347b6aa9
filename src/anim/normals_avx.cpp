// Normals and tangent frames eight triangles at a time with AVX. This file alone is
// compiled for AVX, and its code runs only where the processor has it (see kernels.cpp).
#if defined(__AVX__)
#include <immintrin.h>

#include "anim/normals_simd.h"

namespace brmath {

namespace {

struct Pack8 {
    static constexpr int kLanes = 8;
    __m256 v;

    Pack8() = default;
    Pack8(__m256 value) : v(value) {}
    explicit Pack8(float s) : v(_mm256_set1_ps(s)) {}
    static Pack8 Gather(const float* const* p) {
        return _mm256_setr_ps(*p[0], *p[1], *p[2], *p[3], *p[4], *p[5], *p[6], *p[7]);
    }
    void Store(float* out) const { _mm256_storeu_ps(out, v); }

    friend Pack8 operator+(Pack8 a, Pack8 b) { return _mm256_add_ps(a.v, b.v); }
    friend Pack8 operator-(Pack8 a, Pack8 b) { return _mm256_sub_ps(a.v, b.v); }
    friend Pack8 operator*(Pack8 a, Pack8 b) { return _mm256_mul_ps(a.v, b.v); }
    friend Pack8 operator/(Pack8 a, Pack8 b) { return _mm256_div_ps(a.v, b.v); }
    static Pack8 Sqrt(Pack8 a) { return _mm256_sqrt_ps(a.v); }
    static Pack8 Negate(Pack8 a) { return _mm256_xor_ps(a.v, _mm256_set1_ps(-0.0f)); }
    static Pack8 Less(Pack8 a, Pack8 b) { return _mm256_cmp_ps(a.v, b.v, _CMP_LT_OQ); }
    static Pack8 Greater(Pack8 a, Pack8 b) { return _mm256_cmp_ps(a.v, b.v, _CMP_GT_OQ); }
    static Pack8 GreaterEqual(Pack8 a, Pack8 b) { return _mm256_cmp_ps(a.v, b.v, _CMP_GE_OQ); }
    static Pack8 Or(Pack8 a, Pack8 b) { return _mm256_or_ps(a.v, b.v); }
    static Pack8 Select(Pack8 mask, Pack8 whenSet, Pack8 otherwise) {
        return _mm256_blendv_ps(otherwise.v, whenSet.v, mask.v);
    }
};

}  // namespace

void ComputeVertexNormalsAvx(Mesh& mesh) { VertexNormalsSimd<Pack8>(mesh); }
void ComputeTangentFramesAvx(Mesh& mesh) { TangentFramesSimd<Pack8>(mesh); }

}  // namespace brmath
#endif
