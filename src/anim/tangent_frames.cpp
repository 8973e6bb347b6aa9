// Tangent frames: for each triangle, tangent and bitangent from its positions and
// texture coordinates, normalised, made orthogonal, and a normal turned to the face's
// side; written to its corners, so a vertex keeps its last triangle's frame. The SSE2
// form computes only the frame triangles, eight at a time as two packs of four side by
// side (two chains of divisions and roots for the processor to overlap).
#include <cmath>

#include "anim/kernels.h"

#if defined(__SSE2__)
#include "anim/tangent_frames_eight.h"
#endif

namespace brmath {

float HandednessThreshold() {
    static const float threshold = [] {
        float t = static_cast<float>(1e-6);
        if (static_cast<double>(t) < 1e-6) t = std::nextafter(t, 1.0f);
        return t;
    }();
    return threshold;
}

void ComputeTangentFramesPlain(Mesh& mesh) {
    MeshVertex* vertices = mesh.vertices;
    for (int32_t t = 0; t < mesh.triangleCount; ++t) {
        const int32_t* index = mesh.triangles[t].indices;
        MeshVertex& v0 = vertices[index[0]];
        MeshVertex& v1 = vertices[index[1]];
        MeshVertex& v2 = vertices[index[2]];
        const Vector3& p0 = v0.position;
        const Vector3& p1 = v1.position;
        const Vector3& p2 = v2.position;

        // For each axis k the cross product of a = (p0.k - p1.k, s1 - s0, t1 - t0) and
        // b = (p0.k - p2.k, s2 - s0, t2 - t0) gives T.k = -c.y / c.x and B.k = -c.z / c.x.
        // Corner 0 minus the other corner: T and B point the ways s and t fall. c.x, the
        // texture-space determinant, is the same for every axis.
        const float as = v1.texCoord.x - v0.texCoord.x, at = v1.texCoord.y - v0.texCoord.y;
        const float bs = v2.texCoord.x - v0.texCoord.x, bt = v2.texCoord.y - v0.texCoord.y;
        const float determinant = as * bt - at * bs;
        Vector3 tangent, bitangent;
        for (int k = 0; k < 3; ++k) {
            const float ax = p0[k] - p1[k];
            const float bx = p0[k] - p2[k];
            const float cy = at * bx - ax * bt;
            const float cz = ax * bs - as * bx;
            tangent[k] = (-cy) / determinant;
            bitangent[k] = (-cz) / determinant;
        }
        tangent.Normalize();
        bitangent.Normalize();
        Vector3 normal = Cross(tangent, bitangent);
        bitangent = Cross(normal, tangent);

        Vector3 face = Cross(p1 - p0, p2 - p0);
        face.Normalize();
        // The dot product is compared as computed with the double constant; NaN flips too.
        if (!(static_cast<double>(Dot(normal, face)) >= 1e-6)) normal *= -1.0f;

        MeshVertex* corners[3] = {&v0, &v1, &v2};
        for (MeshVertex* corner : corners) {
            corner->tangent.Set(tangent);
            corner->bitangent.Set(bitangent);
            corner->tangentNormal.Set(normal);
        }
    }
}

#if defined(__SSE2__)
namespace {

struct SsePair {
    __m128 low, high;

    friend SsePair operator+(SsePair x, SsePair y) { return {_mm_add_ps(x.low, y.low), _mm_add_ps(x.high, y.high)}; }
    friend SsePair operator-(SsePair x, SsePair y) { return {_mm_sub_ps(x.low, y.low), _mm_sub_ps(x.high, y.high)}; }
    friend SsePair operator*(SsePair x, SsePair y) { return {_mm_mul_ps(x.low, y.low), _mm_mul_ps(x.high, y.high)}; }
    friend SsePair operator/(SsePair x, SsePair y) { return {_mm_div_ps(x.low, y.low), _mm_div_ps(x.high, y.high)}; }
    static SsePair Sqrt(SsePair x) { return {_mm_sqrt_ps(x.low), _mm_sqrt_ps(x.high)}; }
    static SsePair Negate(SsePair x) { return {brmath::Negate(x.low), brmath::Negate(x.high)}; }
    static SsePair NonZero(SsePair x) { return {brmath::NonZero(x.low), brmath::NonZero(x.high)}; }
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

void ComputeTangentFramesSse2(const Mesh& mesh, const PreparedMesh& prepared, PoseWorkspace& workspace) {
    TangentFramesEight<SsePair>(mesh, prepared, workspace);
}
#endif

}  // namespace brmath
