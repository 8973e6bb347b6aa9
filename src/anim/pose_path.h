#pragma once

namespace brmath {

// The ways posing can compute, all giving the same bits: the plain path written as the
// formulas read; SSE2, four vertices or eight frame triangles at a time through packed
// scratch rows; and AVX, which differs from SSE2 only in computing tangent frames
// eight to one register.
enum class PosePath { kPlain, kSse2, kAvx };

// Whether this build and this processor can take `path`: SSE2 on every x86 build (and
// in WebAssembly, as SIMD); AVX on every x86 build, the 32-bit DLL included, on a
// processor and system that offer it.
bool PosePathAvailable(PosePath path);

// The fastest available path: the library's own choice, made here and nowhere else.
PosePath DefaultPosePath();

}  // namespace brmath
