#pragma once

// Tangent frames eight frame triangles at a time, into the workspace: twelve floats a
// triangle (tangent, bitangent, normal, one unused), in frame-list order. Each lane
// does exactly the plain path's operations in the plain path's order.
//
// Eight is a type offering + - * /, Sqrt, Negate (sign flip), NonZero and
// GreaterEqual (lane masks), Select(mask, whenSet, otherwise), Splat(float),
// Join(low, high) of two packs of four, and Low and High to take them apart again:
// two SSE registers side by side (two chains of divisions and roots for the processor
// to overlap), or one AVX register.
#include "anim/kernels.h"
#include "anim/lane_vectors.h"
#include "anim/sse_lanes.h"

namespace brmath {
namespace {

template <typename Eight>
using Eight3 = Vector3Lanes<Eight>;

// Corner c of eight triangles: lanes 0-3 from the first four, 4-7 from the others.
template <typename Eight>
BRMATH_LANES_INLINE Eight3<Eight> GatherCorner(const float* positions, const int32_t* const corner[8], int c) {
    const Lanes3 low = GatherRows(RowOf(positions, corner[0][c]), RowOf(positions, corner[1][c]),
                                  RowOf(positions, corner[2][c]), RowOf(positions, corner[3][c]));
    const Lanes3 high = GatherRows(RowOf(positions, corner[4][c]), RowOf(positions, corner[5][c]),
                                   RowOf(positions, corner[6][c]), RowOf(positions, corner[7][c]));
    return {Eight::Join(low.x.v, high.x.v), Eight::Join(low.y.v, high.y.v), Eight::Join(low.z.v, high.z.v)};
}

// Nine rows of four lanes become four records of twelve floats.
BRMATH_LANES_INLINE void StoreFourFrames(__m128 tx, __m128 ty, __m128 tz, __m128 bx, __m128 by, __m128 bz, __m128 nx, __m128 ny,
                            __m128 nz, float* out) {
    _MM_TRANSPOSE4_PS(tx, ty, tz, bx);
    _MM_TRANSPOSE4_PS(by, bz, nx, ny);
    const __m128 first[4] = {tx, ty, tz, bx};
    const __m128 second[4] = {by, bz, nx, ny};
    const __m128 third[4] = {nz, _mm_shuffle_ps(nz, nz, _MM_SHUFFLE(1, 1, 1, 1)),
                             _mm_shuffle_ps(nz, nz, _MM_SHUFFLE(2, 2, 2, 2)),
                             _mm_shuffle_ps(nz, nz, _MM_SHUFFLE(3, 3, 3, 3))};
    for (int lane = 0; lane < 4; ++lane) {
        _mm_storeu_ps(out + 12 * lane, first[lane]);
        _mm_storeu_ps(out + 12 * lane + 4, second[lane]);
        _mm_storeu_ps(out + 12 * lane + 8, third[lane]);
    }
}

template <typename Eight>
void TangentFramesEight(const Mesh& mesh, const PreparedMesh& prepared, PoseWorkspace& workspace) {
    // Read once: the stores below could alias the mesh as far as the compiler knows.
    const float* positions = workspace.positions;
    const MeshTriangle* triangles = mesh.triangles;
    const int32_t* frameTriangles = prepared.frameTriangles;
    const float* frameTexture = prepared.frameTexture;
    const Eight threshold = Eight::Splat(HandednessThreshold());
    const Eight minusOne = Eight::Splat(-1.0f);
    const int32_t count = prepared.frameTriangleCount;
    // The lists run on to a whole eight, repeating the last triangle, and the workspace
    // has room for their frames: every eight is computed and stored whole.
    for (int32_t f = 0; f < count; f += 8) {
        const int32_t* corner[8];
        for (int lane = 0; lane < 8; ++lane) corner[lane] = triangles[frameTriangles[f + lane]].indices;
        const Eight3<Eight> p0 = GatherCorner<Eight>(positions, corner, 0);
        const Eight3<Eight> p1 = GatherCorner<Eight>(positions, corner, 1);
        const Eight3<Eight> p2 = GatherCorner<Eight>(positions, corner, 2);
        // The texture-space terms were worked out at load, five rows for every four.
        const float* texture = RowOf(frameTexture, 5 * (f >> 2));
        const auto rows = [&](int row) {
            return Eight::Join(_mm_loadu_ps(texture + 4 * row), _mm_loadu_ps(texture + 20 + 4 * row));
        };
        const Eight as = rows(0), at = rows(1), bs = rows(2), bt = rows(3), determinant = rows(4);

        // For each axis: T = -(at * b - a * bt) / det, B = -(a * bs - as * b) / det,
        // with a and b the corner-0-minus-other differences along that axis.
        const Eight a[3] = {p0.x - p1.x, p0.y - p1.y, p0.z - p1.z};
        const Eight b[3] = {p0.x - p2.x, p0.y - p2.y, p0.z - p2.z};
        Eight tangentAxis[3], bitangentAxis[3];
        for (int k = 0; k < 3; ++k) {
            const Eight cy = at * b[k] - a[k] * bt;
            const Eight cz = a[k] * bs - as * b[k];
            tangentAxis[k] = Eight::Negate(cy) / determinant;
            bitangentAxis[k] = Eight::Negate(cz) / determinant;
        }
        Eight3<Eight> tangent{tangentAxis[0], tangentAxis[1], tangentAxis[2]};
        Eight3<Eight> bitangent{bitangentAxis[0], bitangentAxis[1], bitangentAxis[2]};
        Normalize(tangent);
        Normalize(bitangent);
        Eight3<Eight> normal = Cross(tangent, bitangent);
        bitangent = Cross(normal, tangent);
        Eight3<Eight> face = Cross(Minus(p1, p0), Minus(p2, p0));
        Normalize(face);
        const Eight dot = (normal.x * face.x + normal.y * face.y) + normal.z * face.z;
        // Kept where the dot product reaches the threshold; multiplied by -1 elsewhere, NaN included.
        const Eight keep = Eight::GreaterEqual(dot, threshold);
        normal.x = Eight::Select(keep, normal.x, normal.x * minusOne);
        normal.y = Eight::Select(keep, normal.y, normal.y * minusOne);
        normal.z = Eight::Select(keep, normal.z, normal.z * minusOne);

        float* out = RowOf(workspace.frames, 3 * f);
        StoreFourFrames(Eight::Low(tangent.x), Eight::Low(tangent.y), Eight::Low(tangent.z),
                        Eight::Low(bitangent.x), Eight::Low(bitangent.y), Eight::Low(bitangent.z),
                        Eight::Low(normal.x), Eight::Low(normal.y), Eight::Low(normal.z), out);
        StoreFourFrames(Eight::High(tangent.x), Eight::High(tangent.y), Eight::High(tangent.z),
                        Eight::High(bitangent.x), Eight::High(bitangent.y), Eight::High(bitangent.z),
                        Eight::High(normal.x), Eight::High(normal.y), Eight::High(normal.z), out + 48);
    }
}

}  // namespace
}  // namespace brmath

