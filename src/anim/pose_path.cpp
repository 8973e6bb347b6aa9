#include "anim/pose_path.h"

namespace brmath {

bool PosePathAvailable(PosePath path) {
    switch (path) {
        case PosePath::kPlain:
            return true;
        case PosePath::kSse2:
#if defined(__SSE2__)
            return true;
#else
            return false;
#endif
        case PosePath::kAvx: {
#if defined(BRMATH_AVX_KERNELS)
            // The test covers the system too, which must save the wider registers on a
            // thread switch. Asked once; the processor's features are read first, in
            // case this runs before the runtime's own static constructors did.
            static const bool offered = [] {
                __builtin_cpu_init();
                return __builtin_cpu_supports("avx") != 0;
            }();
            return offered;
#else
            return false;
#endif
        }
    }
    return false;
}

PosePath DefaultPosePath() {
    if (PosePathAvailable(PosePath::kAvx)) return PosePath::kAvx;
    return PosePathAvailable(PosePath::kSse2) ? PosePath::kSse2 : PosePath::kPlain;
}

}  // namespace brmath
