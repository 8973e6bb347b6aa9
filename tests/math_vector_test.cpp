#include <gtest/gtest.h>

#include <cmath>

#include "brmath/brmath.h"
#include "math/vector3.h"
#include "support/float_bits.h"

using brmath::Cross;
using brmath::Dot;
using brmath::Vector3;

TEST(Vector3Test, CrossIsRightHanded) {
    EXPECT_VEC3_EQ(Cross(Vector3(1, 0, 0), Vector3(0, 1, 0)), 0.0f, 0.0f, 1.0f);
    EXPECT_VEC3_EQ(Cross(Vector3(0, 1, 0), Vector3(1, 0, 0)), 0.0f, 0.0f, -1.0f);
    EXPECT_VEC3_EQ(Cross(Vector3(2, 3, 4), Vector3(5, 6, 7)), -3.0f, 6.0f, -3.0f);
}

TEST(Vector3Test, NormalizeDividesByTheRoundedLength) {
    Vector3 v(3, 0, 4);
    v.Normalize();
    EXPECT_VEC3_EQ(v, 0.6f, 0.0f, 0.8f);

    Vector3 zero;
    zero.Normalize();
    EXPECT_VEC3_EQ(zero, 0.0f, 0.0f, 0.0f);

    Vector3 nan(NAN, 1, 1);
    nan.Normalize();
    EXPECT_TRUE(std::isnan(nan.x));
    EXPECT_EQ(nan.y, 1.0f);
}

TEST(Vector3Test, IndexOutsideRangeGivesX) {
    Vector3 v(7, 8, 9);
    EXPECT_EQ(v[0], 7.0f);
    EXPECT_EQ(v[1], 8.0f);
    EXPECT_EQ(v[2], 9.0f);
    EXPECT_EQ(v[3], 7.0f);
    EXPECT_EQ(v[-1], 7.0f);
    v[5] = 1.0f;
    EXPECT_EQ(v.x, 1.0f);
}

TEST(Vector3Test, DotSumsInTheWrittenOrder) {
    // (1e8 + -1e8) + 1 = 1, where 1e8 + (-1e8 + 1) would lose the 1.
    EXPECT_EQ(Dot(Vector3(1e8f, -1e8f, 1), Vector3(1, 1, 1)), 1.0f);
    EXPECT_EQ(Dot(Vector3(1, 2, 3), Vector3(4, 5, 6)), 32.0f);
}

TEST(Vector3Test, ScalarAndComponentOperations) {
    Vector3 v(1, 2, 3);
    v += 1.0f;
    EXPECT_VEC3_EQ(v, 2.0f, 3.0f, 4.0f);
    v -= Vector3(1, 1, 1);
    v *= Vector3(2, 2, 2);
    EXPECT_VEC3_EQ(v, 2.0f, 4.0f, 6.0f);
    v /= 2.0f;
    EXPECT_VEC3_EQ(v, 1.0f, 2.0f, 3.0f);
    v.Negate();
    EXPECT_VEC3_EQ(v, -1.0f, -2.0f, -3.0f);
    EXPECT_VEC3_EQ(2.0f * Vector3(1, 2, 3), 2.0f, 4.0f, 6.0f);
    EXPECT_VEC3_EQ(Vector3(1, 2, 3) / Vector3(1, 4, 0.5f), 1.0f, 0.5f, 6.0f);
    const Vector3 inf = Vector3(1, 0, -1) / 0.0f;
    EXPECT_TRUE(std::isinf(inf.x));
    EXPECT_TRUE(std::isnan(inf.y));
    EXPECT_EQ(Vector3(2.0f).z, 2.0f);
}

TEST(Vector3Test, RandomizeGivesUnitVectorsWithoutZeroComponents) {
    for (int i = 0; i < 1000; ++i) {
        Vector3 v;
        v.Randomize();
        EXPECT_NEAR(v.Length(), 1.0f, 1e-6f);
        EXPECT_NE(v.x, 0.0f);
        EXPECT_NE(v.y, 0.0f);
        EXPECT_NE(v.z, 0.0f);
    }
}

TEST(V2AddTest, AddsComponentsAndAllowsAliasing) {
    BRVector2 out{0, 0};
    const BRVector2 a{1, 2}, b{3, -5};
    EXPECT_TRUE(V2_Add(&out, &a, &b));
    EXPECT_EQ(out.x, 4.0f);
    EXPECT_EQ(out.y, -3.0f);

    BRVector2 same{1, 2};
    const BRVector2 four{3, 4};
    EXPECT_TRUE(V2_Add(&same, &same, &four));
    EXPECT_EQ(same.x, 4.0f);
    EXPECT_EQ(same.y, 6.0f);

    BRVector2 all{1, 2};
    EXPECT_TRUE(V2_Add(&all, &all, &all));
    EXPECT_EQ(all.x, 2.0f);
    EXPECT_EQ(all.y, 4.0f);
}

TEST(V2AddTest, NullPointerFailsAndWritesNothing) {
    BRVector2 out{9, 9};
    const BRVector2 a{1, 2};
    EXPECT_FALSE(V2_Add(nullptr, &a, &a));
    EXPECT_FALSE(V2_Add(&out, nullptr, &a));
    EXPECT_FALSE(V2_Add(&out, &a, nullptr));
    EXPECT_EQ(out.x, 9.0f);
    EXPECT_EQ(out.y, 9.0f);
}
