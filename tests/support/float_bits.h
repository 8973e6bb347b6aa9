#pragma once

#include <cstdint>
#include <cstring>

#include "math/matrix4.h"
#include "math/vector3.h"

namespace brmath_test {

inline uint32_t Bits(float f) {
    uint32_t b;
    std::memcpy(&b, &f, sizeof(b));
    return b;
}

// Distance in units in the last place between two finite floats of the same sign.
inline int64_t UlpDistance(float a, float b) {
    const int64_t ia = static_cast<int32_t>(Bits(a)), ib = static_cast<int32_t>(Bits(b));
    return ia > ib ? ia - ib : ib - ia;
}

}  // namespace brmath_test

#define EXPECT_VEC3_EQ(v, ex, ey, ez) \
    do {                              \
        EXPECT_EQ((v).x, (ex));       \
        EXPECT_EQ((v).y, (ey));       \
        EXPECT_EQ((v).z, (ez));       \
    } while (0)

#define EXPECT_VEC3_NEAR(v, ex, ey, ez, tol) \
    do {                                     \
        EXPECT_NEAR((v).x, (ex), (tol));     \
        EXPECT_NEAR((v).y, (ey), (tol));     \
        EXPECT_NEAR((v).z, (ez), (tol));     \
    } while (0)

// Every element of two matrices, to the bit.
#define EXPECT_MATRIX_BITS(actual, expected)                                                        \
    do {                                                                                            \
        const brmath::Matrix4 actualMatrix = (actual), expectedMatrix = (expected);                 \
        for (int element = 0; element < 16; ++element) {                                           \
            EXPECT_EQ(brmath_test::Bits(actualMatrix.m[element]), brmath_test::Bits(expectedMatrix.m[element])) \
                << "element " << element << ": " << actualMatrix.m[element] << " and " << expectedMatrix.m[element]; \
        }                                                                                           \
    } while (0)
