// Tangent frames with SSE: eight lanes as two packs of four side by side.
#if defined(__SSE2__)
#include "anim/tangent_frames_eight.h"

namespace brmath {

namespace {

struct SsePair {
    __m128 low, high;

    friend SsePair operator+(SsePair x, SsePair y) { return {_mm_add_ps(x.low, y.low), _mm_add_ps(x.high, y.high)}; }
    friend SsePair operator-(SsePair x, SsePair y) { return {_mm_sub_ps(x.low, y.low), _mm_sub_ps(x.high, y.high)}; }
    friend SsePair operator*(SsePair x, SsePair y) { return {_mm_mul_ps(x.low, y.low), _mm_mul_ps(x.high, y.high)}; }
    friend SsePair operator/(SsePair x, SsePair y) { return {_mm_div_ps(x.low, y.low), _mm_div_ps(x.high, y.high)}; }
    static SsePair Sqrt(SsePair x) { return {_mm_sqrt_ps(x.low), _mm_sqrt_ps(x.high)}; }
    static SsePair Negate(SsePair x) { return {brmath::Negate(x.low), brmath::Negate(x.high)}; }
    static __m128 NonZero(__m128 x) {
        const __m128 zero = _mm_setzero_ps();
        return _mm_or_ps(_mm_cmplt_ps(x, zero), _mm_cmpgt_ps(x, zero));
    }
    static SsePair NonZero(SsePair x) { return {NonZero(x.low), NonZero(x.high)}; }
    static SsePair GreaterEqual(SsePair x, SsePair y) {
        return {_mm_cmpge_ps(x.low, y.low), _mm_cmpge_ps(x.high, y.high)};
    }
    static SsePair Select(SsePair mask, SsePair whenSet, SsePair otherwise) {
        return {brmath::Select(mask.low, whenSet.low, otherwise.low),
                brmath::Select(mask.high, whenSet.high, otherwise.high)};
    }
    static SsePair Splat(float s) { return {_mm_set1_ps(s), _mm_set1_ps(s)}; }
    static SsePair Join(__m128 low, __m128 high) { return {low, high}; }
    static __m128 Low(SsePair x) { return x.low; }
    static __m128 High(SsePair x) { return x.high; }
};

}  // namespace

void ComputeTangentFramesFast(const Mesh& mesh, PoseWorkspace& workspace) {
    TangentFramesEight<SsePair>(mesh, workspace);
}

}  // namespace brmath
#endif
