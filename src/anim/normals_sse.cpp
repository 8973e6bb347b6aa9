// Normals and tangent frames with SSE: four triangles at a time, one per lane, each
// lane doing exactly the plain path's operations in its order, so the bits agree.
#if defined(__SSE2__)
#include <emmintrin.h>

#include <cstddef>
#include <cstring>

#include "anim/kernels.h"

namespace brmath {

// A vertex's tangent frame is nine floats in a row, written with one copy per corner.
static_assert(offsetof(MeshVertex, bitangent) == offsetof(MeshVertex, tangent) + sizeof(Vector3) &&
                  offsetof(MeshVertex, tangentNormal) == offsetof(MeshVertex, bitangent) + sizeof(Vector3),
              "tangent, bitangent and tangentNormal follow each other");

namespace {

struct Vec4x3 {
    __m128 x, y, z;
};

inline Vec4x3 Sub(const Vec4x3& a, const Vec4x3& b) {
    return {_mm_sub_ps(a.x, b.x), _mm_sub_ps(a.y, b.y), _mm_sub_ps(a.z, b.z)};
}

inline Vec4x3 Cross(const Vec4x3& a, const Vec4x3& b) {
    return {_mm_sub_ps(_mm_mul_ps(a.y, b.z), _mm_mul_ps(a.z, b.y)),
            _mm_sub_ps(_mm_mul_ps(a.z, b.x), _mm_mul_ps(a.x, b.z)),
            _mm_sub_ps(_mm_mul_ps(a.x, b.y), _mm_mul_ps(a.y, b.x))};
}

inline __m128 Select(__m128 mask, __m128 whenSet, __m128 otherwise) {
    return _mm_or_ps(_mm_and_ps(mask, whenSet), _mm_andnot_ps(mask, otherwise));
}

// Vector3::Normalize: divide by the length unless it is zero or NaN.
inline void Normalize(Vec4x3& v) {
    const __m128 length =
        _mm_sqrt_ps(_mm_add_ps(_mm_add_ps(_mm_mul_ps(v.x, v.x), _mm_mul_ps(v.y, v.y)), _mm_mul_ps(v.z, v.z)));
    const __m128 zero = _mm_setzero_ps();
    const __m128 divide = _mm_or_ps(_mm_cmplt_ps(length, zero), _mm_cmpgt_ps(length, zero));
    v.x = Select(divide, _mm_div_ps(v.x, length), v.x);
    v.y = Select(divide, _mm_div_ps(v.y, length), v.y);
    v.z = Select(divide, _mm_div_ps(v.z, length), v.z);
}

inline Vec4x3 Load(const Vector3* p[4]) {
    return {_mm_setr_ps(p[0]->x, p[1]->x, p[2]->x, p[3]->x), _mm_setr_ps(p[0]->y, p[1]->y, p[2]->y, p[3]->y),
            _mm_setr_ps(p[0]->z, p[1]->z, p[2]->z, p[3]->z)};
}

}  // namespace

void ComputeVertexNormalsFast(Mesh& mesh) {
    MeshVertex* vertices = mesh.vertices;
    for (int32_t v = 0; v < mesh.vertexCount; ++v) vertices[v].normal.Set(0.0f, 0.0f, 0.0f);
    const int32_t count = mesh.triangleCount;
    int32_t t = 0;
    alignas(16) float face[3][4];
    for (; t + 4 <= count; t += 4) {
        const MeshTriangle* triangles = mesh.triangles + t;
        const Vector3* p0[4];
        const Vector3* p1[4];
        const Vector3* p2[4];
        for (int lane = 0; lane < 4; ++lane) {
            p0[lane] = &vertices[triangles[lane].indices[0]].position;
            p1[lane] = &vertices[triangles[lane].indices[1]].position;
            p2[lane] = &vertices[triangles[lane].indices[2]].position;
        }
        const Vec4x3 a = Load(p0), b = Load(p1), c = Load(p2);
        const Vec4x3 e1 = Sub(b, a);
        const __m128 sign = _mm_set1_ps(-0.0f);
        const Vec4x3 toC = Sub(c, a);
        const Vec4x3 e2{_mm_xor_ps(toC.x, sign), _mm_xor_ps(toC.y, sign), _mm_xor_ps(toC.z, sign)};
        const Vec4x3 f = Cross(e1, e2);
        _mm_store_ps(face[0], f.x);
        _mm_store_ps(face[1], f.y);
        _mm_store_ps(face[2], f.z);
        // The sums into each vertex keep the triangles' order.
        for (int lane = 0; lane < 4; ++lane) {
            const Vector3 n(face[0][lane], face[1][lane], face[2][lane]);
            vertices[triangles[lane].indices[0]].normal += n;
            vertices[triangles[lane].indices[1]].normal += n;
            vertices[triangles[lane].indices[2]].normal += n;
        }
    }
    for (; t < count; ++t) {
        const int32_t* index = mesh.triangles[t].indices;
        const Vector3& p0 = vertices[index[0]].position;
        const Vector3& p1 = vertices[index[1]].position;
        const Vector3& p2 = vertices[index[2]].position;
        const Vector3 e1(p1.x - p0.x, p1.y - p0.y, p1.z - p0.z);
        const Vector3 e2(-(p2.x - p0.x), -(p2.y - p0.y), -(p2.z - p0.z));
        const Vector3 n = brmath::Cross(e1, e2);
        vertices[index[0]].normal += n;
        vertices[index[1]].normal += n;
        vertices[index[2]].normal += n;
    }
    for (int32_t v = 0; v < mesh.vertexCount; ++v) vertices[v].normal.Normalize();
}

void ComputeTangentFramesFast(Mesh& mesh) {
    MeshVertex* vertices = mesh.vertices;
    const int32_t count = mesh.triangleCount;
    const __m128 threshold = _mm_set1_ps(HandednessThreshold());
    const __m128 sign = _mm_set1_ps(-0.0f);
    const __m128 minusOne = _mm_set1_ps(-1.0f);
    int32_t t = 0;
    alignas(16) float frame[9][4];
    for (; t + 4 <= count; t += 4) {
        const MeshTriangle* triangles = mesh.triangles + t;
        const MeshVertex* corner[3][4];
        for (int lane = 0; lane < 4; ++lane) {
            for (int c = 0; c < 3; ++c) corner[c][lane] = &vertices[triangles[lane].indices[c]];
        }
        const Vector3* p[3][4];
        for (int c = 0; c < 3; ++c) {
            for (int lane = 0; lane < 4; ++lane) p[c][lane] = &corner[c][lane]->position;
        }
        const Vec4x3 p0 = Load(p[0]), p1 = Load(p[1]), p2 = Load(p[2]);
        const auto texture = [&](int c, int component) {
            const auto at = [&](int lane) {
                return component == 0 ? corner[c][lane]->texCoord.x : corner[c][lane]->texCoord.y;
            };
            return _mm_setr_ps(at(0), at(1), at(2), at(3));
        };
        const __m128 s0 = texture(0, 0), t0 = texture(0, 1);
        const __m128 as = _mm_sub_ps(texture(1, 0), s0), at = _mm_sub_ps(texture(1, 1), t0);
        const __m128 bs = _mm_sub_ps(texture(2, 0), s0), bt = _mm_sub_ps(texture(2, 1), t0);
        const __m128 determinant = _mm_sub_ps(_mm_mul_ps(as, bt), _mm_mul_ps(at, bs));

        Vec4x3 tangent, bitangent;
        const __m128* axes0[3] = {&p0.x, &p0.y, &p0.z};
        const __m128* axes1[3] = {&p1.x, &p1.y, &p1.z};
        const __m128* axes2[3] = {&p2.x, &p2.y, &p2.z};
        __m128* tangentAxes[3] = {&tangent.x, &tangent.y, &tangent.z};
        __m128* bitangentAxes[3] = {&bitangent.x, &bitangent.y, &bitangent.z};
        for (int k = 0; k < 3; ++k) {
            const __m128 ax = _mm_sub_ps(*axes0[k], *axes1[k]);
            const __m128 bx = _mm_sub_ps(*axes0[k], *axes2[k]);
            const __m128 cy = _mm_sub_ps(_mm_mul_ps(at, bx), _mm_mul_ps(ax, bt));
            const __m128 cz = _mm_sub_ps(_mm_mul_ps(ax, bs), _mm_mul_ps(as, bx));
            *tangentAxes[k] = _mm_div_ps(_mm_xor_ps(cy, sign), determinant);
            *bitangentAxes[k] = _mm_div_ps(_mm_xor_ps(cz, sign), determinant);
        }
        Normalize(tangent);
        Normalize(bitangent);
        Vec4x3 normal = Cross(tangent, bitangent);
        bitangent = Cross(normal, tangent);
        Vec4x3 face = Cross(Sub(p1, p0), Sub(p2, p0));
        Normalize(face);
        const __m128 dot = _mm_add_ps(_mm_add_ps(_mm_mul_ps(normal.x, face.x), _mm_mul_ps(normal.y, face.y)),
                                      _mm_mul_ps(normal.z, face.z));
        // Kept where the dot product reaches the threshold; multiplied by -1 elsewhere, NaN included.
        const __m128 keep = _mm_cmpge_ps(dot, threshold);
        normal.x = Select(keep, normal.x, _mm_mul_ps(normal.x, minusOne));
        normal.y = Select(keep, normal.y, _mm_mul_ps(normal.y, minusOne));
        normal.z = Select(keep, normal.z, _mm_mul_ps(normal.z, minusOne));

        const __m128 rows[9] = {tangent.x, tangent.y, tangent.z, bitangent.x, bitangent.y,
                                bitangent.z, normal.x, normal.y, normal.z};
        for (int r = 0; r < 9; ++r) _mm_store_ps(frame[r], rows[r]);
        // Written in triangle order: a vertex keeps the last triangle's frame.
        for (int lane = 0; lane < 4; ++lane) {
            float values[9];
            for (int r = 0; r < 9; ++r) values[r] = frame[r][lane];
            for (int c = 0; c < 3; ++c) {
                std::memcpy(&vertices[triangles[lane].indices[c]].tangent, values, sizeof(values));
            }
        }
    }
    if (t < count) {
        Mesh rest = mesh;
        rest.triangles = mesh.triangles + t;
        rest.triangleCount = count - t;
        ComputeTangentFramesPlain(rest);
    }
}

}  // namespace brmath
#endif
