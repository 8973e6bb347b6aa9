#include "anim/pose_path.h"

#if defined(BRMATH_AVX_KERNELS)
#include <cpuid.h>
#endif

namespace brmath {

namespace {

#if defined(BRMATH_AVX_KERNELS)
// The processor has AVX (cpuid 1: ECX bit 28) and the system saves its registers on a
// thread switch: it set OSXSAVE (ECX bit 27), and XCR0 (xgetbv 0) keeps the SSE and AVX
// state (bits 1 and 2). Windows before 7 SP1 and some virtual machines say no there.
bool ProcessorAndSystemOfferAvx() {
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (__get_cpuid(1, &eax, &ebx, &ecx, &edx) == 0) return false;
    if ((ecx & (1u << 27)) == 0 || (ecx & (1u << 28)) == 0) return false;
    unsigned low = 0, high = 0;
    __asm__ volatile("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
    return (low & 6u) == 6u;
}
#endif

}  // namespace

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
            static const bool offered = ProcessorAndSystemOfferAvx();  // asked once
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
