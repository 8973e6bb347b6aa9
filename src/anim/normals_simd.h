#pragma once

// Vertex normals and tangent frames over packs of triangles, one triangle per lane.
// Each lane does exactly the plain path's operations in the plain path's order, so
// its results carry the same bits whatever the number of lanes of the pack that
// uses it (SSE's four).
//
// A Pack offers: kLanes; a default constructor; Pack(float) (broadcast);
// GatherRows(rows, &x, &y, &z), the first three of four floats read at each lane's row;
// Store(float*); + - * /; Sqrt; Negate (sign flip); the comparisons Less, Greater and
// GreaterEqual giving lane masks; Or of masks; and Select(mask, whenSet, otherwise).
#include <cstddef>
#include <cstring>

#include "anim/kernels.h"

namespace brmath {
namespace {

template <typename Pack>
struct Pack3 {
    Pack x, y, z;
};

template <typename Pack>
Pack3<Pack> Minus(const Pack3<Pack>& a, const Pack3<Pack>& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}

template <typename Pack>
Pack3<Pack> CrossProduct(const Pack3<Pack>& a, const Pack3<Pack>& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

// Vector3::Normalize: divide by the length unless it is zero or NaN.
template <typename Pack>
void NormalizeLanes(Pack3<Pack>& v) {
    const Pack length = Pack::Sqrt((v.x * v.x + v.y * v.y) + v.z * v.z);
    const Pack zero(0.0f);
    const Pack divide = Pack::Or(Pack::Less(length, zero), Pack::Greater(length, zero));
    v.x = Pack::Select(divide, v.x / length, v.x);
    v.y = Pack::Select(divide, v.y / length, v.y);
    v.z = Pack::Select(divide, v.z / length, v.z);
}

// The Vector3 at `offset` bytes into each lane's vertex (its position or its normal),
// read as four floats a lane: the field after it in the vertex fills the fourth.
template <typename Pack>
#if defined(__GNUC__)
__attribute__((always_inline))
#endif
inline Pack3<Pack> GatherVector(const MeshVertex* const* corners, size_t offset) {
    const float* rows[Pack::kLanes];
    for (int lane = 0; lane < Pack::kLanes; ++lane) {
        rows[lane] = reinterpret_cast<const float*>(reinterpret_cast<const char*>(corners[lane]) + offset);
    }
    Pack3<Pack> v;
    Pack::GatherRows(rows, &v.x, &v.y, &v.z);
    return v;
}

// The corners of up to kLanes triangles, with their positions: the triangles from
// `first` on of a list of `count` (the triangle numbers of `order`, or all triangles
// when it is null). Lanes past the last triangle repeat it; their results are not used.
template <typename Pack>
struct TrianglePack {
    int lanes;
    const MeshTriangle* triangle[Pack::kLanes];
    const MeshVertex* corner[3][Pack::kLanes];
    Pack3<Pack> p0, p1, p2;

    TrianglePack(const Mesh& mesh, const int32_t* order, int32_t first, int32_t count) : lanes(0) {
        const int32_t left = count - first;
        lanes = left < Pack::kLanes ? left : Pack::kLanes;
        for (int lane = 0; lane < Pack::kLanes; ++lane) {
            const int32_t item = first + (lane < lanes ? lane : lanes - 1);
            triangle[lane] = &mesh.triangles[order != nullptr ? order[item] : item];
            for (int c = 0; c < 3; ++c) corner[c][lane] = &mesh.vertices[triangle[lane]->indices[c]];
        }
        const size_t position = offsetof(MeshVertex, position);
        p0 = GatherVector<Pack>(corner[0], position);
        p1 = GatherVector<Pack>(corner[1], position);
        p2 = GatherVector<Pack>(corner[2], position);
    }
};

template <typename Pack>
void VertexNormalsSimd(Mesh& mesh, bool cleared) {
    constexpr int kLanes = Pack::kLanes;
    MeshVertex* vertices = mesh.vertices;
    for (int32_t v = 0; !cleared && v < mesh.vertexCount; ++v) {
        vertices[v].normal.x = 0.0f;
        vertices[v].normal.y = 0.0f;
        vertices[v].normal.z = 0.0f;
    }
    alignas(32) float face[3][kLanes];
    const int32_t count = mesh.triangleCount;
    for (int32_t t = 0; t < count; t += kLanes) {
        const TrianglePack<Pack> pack(mesh, nullptr, t, count);
        const Pack3<Pack>& p0 = pack.p0;
        const Pack3<Pack>& p1 = pack.p1;
        const Pack3<Pack>& p2 = pack.p2;
        const Pack3<Pack> e1 = Minus(p1, p0);
        const Pack3<Pack> toP2 = Minus(p2, p0);
        const Pack3<Pack> e2{Pack::Negate(toP2.x), Pack::Negate(toP2.y), Pack::Negate(toP2.z)};
        const Pack3<Pack> n = CrossProduct(e1, e2);
        n.x.Store(face[0]);
        n.y.Store(face[1]);
        n.z.Store(face[2]);
        // The sums into each vertex keep the triangles' order.
        for (int lane = 0; lane < pack.lanes; ++lane) {
            for (int c = 0; c < 3; ++c) {
                Vector3& normal = vertices[pack.triangle[lane]->indices[c]].normal;
                normal.x += face[0][lane];
                normal.y += face[1][lane];
                normal.z += face[2][lane];
            }
        }
    }
    alignas(32) float normal[3][kLanes];
    for (int32_t v = 0; v < mesh.vertexCount; v += kLanes) {
        const int lanes = mesh.vertexCount - v < kLanes ? mesh.vertexCount - v : kLanes;
        const MeshVertex* lane[kLanes];
        for (int i = 0; i < kLanes; ++i) lane[i] = &vertices[v + (i < lanes ? i : lanes - 1)];
        Pack3<Pack> n = GatherVector<Pack>(lane, offsetof(MeshVertex, normal));
        NormalizeLanes(n);
        n.x.Store(normal[0]);
        n.y.Store(normal[1]);
        n.z.Store(normal[2]);
        for (int i = 0; i < lanes; ++i) {
            vertices[v + i].normal.x = normal[0][i];
            vertices[v + i].normal.y = normal[1][i];
            vertices[v + i].normal.z = normal[2][i];
        }
    }
}

template <typename Pack>
void TangentFramesSimd(Mesh& mesh) {
    constexpr int kLanes = Pack::kLanes;
    static_assert(offsetof(MeshVertex, bitangent) == offsetof(MeshVertex, tangent) + sizeof(Vector3) &&
                      offsetof(MeshVertex, tangentNormal) == offsetof(MeshVertex, bitangent) + sizeof(Vector3),
                  "a vertex's tangent frame is nine floats in a row");
    MeshVertex* vertices = mesh.vertices;
    const Pack threshold(HandednessThreshold());
    const Pack minusOne(-1.0f);
    alignas(32) float frame[9][kLanes];
    // Only the triangles whose frames some vertex keeps, where the reader listed them.
    const int32_t* order = mesh.frameTriangles;
    const int32_t count = order != nullptr ? mesh.frameTriangleCount : mesh.triangleCount;
    for (int32_t t = 0; t < count; t += kLanes) {
        const TrianglePack<Pack> pack(mesh, order, t, count);
        const Pack3<Pack>& p0 = pack.p0;
        const Pack3<Pack>& p1 = pack.p1;
        const Pack3<Pack>& p2 = pack.p2;
        // Texture coordinates s, t lead each vertex; the third row read is not used.
        const size_t texture = offsetof(MeshVertex, texCoord);
        const Pack3<Pack> st0 = GatherVector<Pack>(pack.corner[0], texture);
        const Pack3<Pack> st1 = GatherVector<Pack>(pack.corner[1], texture);
        const Pack3<Pack> st2 = GatherVector<Pack>(pack.corner[2], texture);
        const Pack s0 = st0.x, t0 = st0.y;
        const Pack as = st1.x - s0, at = st1.y - t0;
        const Pack bs = st2.x - s0, bt = st2.y - t0;
        const Pack determinant = as * bt - at * bs;

        Pack3<Pack> tangent{Pack(0.0f), Pack(0.0f), Pack(0.0f)}, bitangent = tangent;
        const Pack* axes0[3] = {&p0.x, &p0.y, &p0.z};
        const Pack* axes1[3] = {&p1.x, &p1.y, &p1.z};
        const Pack* axes2[3] = {&p2.x, &p2.y, &p2.z};
        Pack* tangentAxes[3] = {&tangent.x, &tangent.y, &tangent.z};
        Pack* bitangentAxes[3] = {&bitangent.x, &bitangent.y, &bitangent.z};
        for (int k = 0; k < 3; ++k) {
            const Pack ax = *axes0[k] - *axes1[k];
            const Pack bx = *axes0[k] - *axes2[k];
            const Pack cy = at * bx - ax * bt;
            const Pack cz = ax * bs - as * bx;
            *tangentAxes[k] = Pack::Negate(cy) / determinant;
            *bitangentAxes[k] = Pack::Negate(cz) / determinant;
        }
        NormalizeLanes(tangent);
        NormalizeLanes(bitangent);
        Pack3<Pack> normal = CrossProduct(tangent, bitangent);
        bitangent = CrossProduct(normal, tangent);
        Pack3<Pack> face = CrossProduct(Minus(p1, p0), Minus(p2, p0));
        NormalizeLanes(face);
        const Pack dot = (normal.x * face.x + normal.y * face.y) + normal.z * face.z;
        // Kept where the dot product reaches the threshold; multiplied by -1 elsewhere, NaN included.
        const Pack keep = Pack::GreaterEqual(dot, threshold);
        normal.x = Pack::Select(keep, normal.x, normal.x * minusOne);
        normal.y = Pack::Select(keep, normal.y, normal.y * minusOne);
        normal.z = Pack::Select(keep, normal.z, normal.z * minusOne);

        const Pack* rows[9] = {&tangent.x, &tangent.y, &tangent.z, &bitangent.x, &bitangent.y,
                               &bitangent.z, &normal.x, &normal.y, &normal.z};
        for (int r = 0; r < 9; ++r) rows[r]->Store(frame[r]);
        // Written in triangle order: a vertex keeps the last triangle's frame.
        for (int lane = 0; lane < pack.lanes; ++lane) {
            float values[9];
            for (int r = 0; r < 9; ++r) values[r] = frame[r][lane];
            for (int c = 0; c < 3; ++c) {
                std::memcpy(&vertices[pack.triangle[lane]->indices[c]].tangent, values, sizeof(values));
            }
        }
    }
}

}  // namespace
}  // namespace brmath
