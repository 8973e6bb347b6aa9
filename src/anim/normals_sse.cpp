// Normals and tangent frames four triangles at a time with SSE.
#if defined(__SSE2__)
#include <emmintrin.h>
#include <xmmintrin.h>

#include "anim/normals_simd.h"

namespace brmath {

namespace {

struct Pack4 {
    static constexpr int kLanes = 4;
    __m128 v;

    Pack4() = default;
    Pack4(__m128 value) : v(value) {}
    explicit Pack4(float s) : v(_mm_set1_ps(s)) {}
    static void GatherRows(const float* const* rows, Pack4* x, Pack4* y, Pack4* z) {
        __m128 r0 = _mm_loadu_ps(rows[0]), r1 = _mm_loadu_ps(rows[1]);
        __m128 r2 = _mm_loadu_ps(rows[2]), r3 = _mm_loadu_ps(rows[3]);
        _MM_TRANSPOSE4_PS(r0, r1, r2, r3);
        *x = r0;
        *y = r1;
        *z = r2;
    }
    void Store(float* out) const { _mm_store_ps(out, v); }

    friend Pack4 operator+(Pack4 a, Pack4 b) { return _mm_add_ps(a.v, b.v); }
    friend Pack4 operator-(Pack4 a, Pack4 b) { return _mm_sub_ps(a.v, b.v); }
    friend Pack4 operator*(Pack4 a, Pack4 b) { return _mm_mul_ps(a.v, b.v); }
    friend Pack4 operator/(Pack4 a, Pack4 b) { return _mm_div_ps(a.v, b.v); }
    static Pack4 Sqrt(Pack4 a) { return _mm_sqrt_ps(a.v); }
    static Pack4 Negate(Pack4 a) { return _mm_xor_ps(a.v, _mm_set1_ps(-0.0f)); }
    static Pack4 Less(Pack4 a, Pack4 b) { return _mm_cmplt_ps(a.v, b.v); }
    static Pack4 Greater(Pack4 a, Pack4 b) { return _mm_cmpgt_ps(a.v, b.v); }
    static Pack4 GreaterEqual(Pack4 a, Pack4 b) { return _mm_cmpge_ps(a.v, b.v); }
    static Pack4 Or(Pack4 a, Pack4 b) { return _mm_or_ps(a.v, b.v); }
    static Pack4 Select(Pack4 mask, Pack4 whenSet, Pack4 otherwise) {
        return _mm_or_ps(_mm_and_ps(mask.v, whenSet.v), _mm_andnot_ps(mask.v, otherwise.v));
    }
};

}  // namespace

void ComputeVertexNormalsFast(Mesh& mesh, bool cleared) { VertexNormalsSimd<Pack4>(mesh, cleared); }
void ComputeTangentFramesFast(Mesh& mesh) { TangentFramesSimd<Pack4>(mesh); }

}  // namespace brmath
#endif
