// Tangent frames with SSE, four frame triangles at a time, into the workspace: twelve
// floats a triangle (tangent, bitangent, normal, one unused), in frame-list order.
#if defined(__SSE2__)
#include "anim/kernels.h"
#include "anim/sse_lanes.h"

namespace brmath {

void ComputeTangentFramesFast(const Mesh& mesh, PoseWorkspace& workspace) {
    const float* positions = workspace.positions;
    const __m128 threshold = _mm_set1_ps(HandednessThreshold());
    const __m128 minusOne = _mm_set1_ps(-1.0f);
    const int32_t count = mesh.frameTriangleCount;
    for (int32_t f = 0; f < count; f += 4) {
        const int lanes = count - f < 4 ? count - f : 4;
        // Lanes past the last triangle repeat it; the workspace has room for their frames.
        const int32_t* corner[4];
        for (int lane = 0; lane < 4; ++lane) {
            corner[lane] = mesh.triangles[mesh.frameTriangles[f + (lane < lanes ? lane : lanes - 1)]].indices;
        }
        const Lanes3 p0 = GatherRows(positions + 4 * corner[0][0], positions + 4 * corner[1][0],
                                     positions + 4 * corner[2][0], positions + 4 * corner[3][0]);
        const Lanes3 p1 = GatherRows(positions + 4 * corner[0][1], positions + 4 * corner[1][1],
                                     positions + 4 * corner[2][1], positions + 4 * corner[3][1]);
        const Lanes3 p2 = GatherRows(positions + 4 * corner[0][2], positions + 4 * corner[1][2],
                                     positions + 4 * corner[2][2], positions + 4 * corner[3][2]);
        // The texture-space terms were worked out at load.
        const float* texture = mesh.frameTexture + 5 * f;
        const __m128 as = _mm_loadu_ps(texture), at = _mm_loadu_ps(texture + 4);
        const __m128 bs = _mm_loadu_ps(texture + 8), bt = _mm_loadu_ps(texture + 12);
        const __m128 determinant = _mm_loadu_ps(texture + 16);

        // For each axis: T = -(at * b - a * bt) / det, B = -(a * bs - as * b) / det,
        // with a and b the corner-0-minus-other differences along that axis.
        const __m128 a[3] = {_mm_sub_ps(p0.x, p1.x), _mm_sub_ps(p0.y, p1.y), _mm_sub_ps(p0.z, p1.z)};
        const __m128 b[3] = {_mm_sub_ps(p0.x, p2.x), _mm_sub_ps(p0.y, p2.y), _mm_sub_ps(p0.z, p2.z)};
        __m128 tangentAxis[3], bitangentAxis[3];
        for (int k = 0; k < 3; ++k) {
            const __m128 cy = _mm_sub_ps(_mm_mul_ps(at, b[k]), _mm_mul_ps(a[k], bt));
            const __m128 cz = _mm_sub_ps(_mm_mul_ps(a[k], bs), _mm_mul_ps(as, b[k]));
            tangentAxis[k] = _mm_div_ps(Negate(cy), determinant);
            bitangentAxis[k] = _mm_div_ps(Negate(cz), determinant);
        }
        Lanes3 tangent{tangentAxis[0], tangentAxis[1], tangentAxis[2]};
        Lanes3 bitangent{bitangentAxis[0], bitangentAxis[1], bitangentAxis[2]};
        NormalizeLanes(tangent);
        NormalizeLanes(bitangent);
        Lanes3 normal = Cross(tangent, bitangent);
        bitangent = Cross(normal, tangent);
        Lanes3 face = Cross(Minus(p1, p0), Minus(p2, p0));
        NormalizeLanes(face);
        const __m128 dot = _mm_add_ps(_mm_add_ps(_mm_mul_ps(normal.x, face.x), _mm_mul_ps(normal.y, face.y)),
                                      _mm_mul_ps(normal.z, face.z));
        // Kept where the dot product reaches the threshold; multiplied by -1 elsewhere, NaN included.
        const __m128 keep = _mm_cmpge_ps(dot, threshold);
        normal.x = Select(keep, normal.x, _mm_mul_ps(normal.x, minusOne));
        normal.y = Select(keep, normal.y, _mm_mul_ps(normal.y, minusOne));
        normal.z = Select(keep, normal.z, _mm_mul_ps(normal.z, minusOne));

        // Nine rows of four lanes become four records of twelve floats.
        __m128 first[4] = {tangent.x, tangent.y, tangent.z, bitangent.x};
        __m128 second[4] = {bitangent.y, bitangent.z, normal.x, normal.y};
        _MM_TRANSPOSE4_PS(first[0], first[1], first[2], first[3]);
        _MM_TRANSPOSE4_PS(second[0], second[1], second[2], second[3]);
        const __m128 nz = normal.z;
        const __m128 third[4] = {nz, _mm_shuffle_ps(nz, nz, _MM_SHUFFLE(1, 1, 1, 1)),
                                 _mm_shuffle_ps(nz, nz, _MM_SHUFFLE(2, 2, 2, 2)),
                                 _mm_shuffle_ps(nz, nz, _MM_SHUFFLE(3, 3, 3, 3))};
        float* out = workspace.frames + 12 * f;
        for (int lane = 0; lane < 4; ++lane) {
            _mm_storeu_ps(out + 12 * lane, first[lane]);
            _mm_storeu_ps(out + 12 * lane + 4, second[lane]);
            _mm_storeu_ps(out + 12 * lane + 8, third[lane]);
        }
    }
}

}  // namespace brmath
#endif
