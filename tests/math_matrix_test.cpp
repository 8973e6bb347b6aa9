#include <gtest/gtest.h>

#include <cmath>

#include "math/matrix4.h"
#include "support/float_bits.h"

using brmath::Matrix4;
using brmath::Vector3;

namespace {

constexpr float kHalfPi = 1.5707963267948966f;

Matrix4 FromElements(std::initializer_list<float> values) {
    Matrix4 m;
    int i = 0;
    for (float v : values) m.m[i++] = v;
    return m;
}

}  // namespace

TEST(Matrix4Test, ProductsApplyTheRightOperandFirst) {
    const Matrix4 t = Matrix4::Translation(1, 2, 3);
    const Matrix4 r = Matrix4::RotationZ(kHalfPi);
    EXPECT_VEC3_NEAR((t * r) * Vector3(1, 0, 0), 1.0f, 3.0f, 3.0f, 1e-6f);
    EXPECT_VEC3_NEAR((r * t) * Vector3(1, 0, 0), -2.0f, 2.0f, 3.0f, 1e-6f);

    // a *= b means a = b * a.
    Matrix4 a = r;
    a *= t;
    EXPECT_MATRIX_BITS(a, t * r);
}

TEST(Matrix4Test, IdentityIsNeutralInEveryProduct) {
    const Matrix4 m = FromElements({1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0, 10, 11, 12, 1});
    EXPECT_MATRIX_BITS(Matrix4() * m, m);
    EXPECT_MATRIX_BITS(m * Matrix4(), m);
    Matrix4 a = m;
    a *= Matrix4();
    EXPECT_MATRIX_BITS(a, m);
    Matrix4 i;
    i *= m;
    EXPECT_MATRIX_BITS(i, m);
}

TEST(Matrix4Test, ByValueProductRoundsOnceButInPlaceProductRoundsEverySum) {
    // Row of a: (1, 2^-24, 2^-24, 0); column of b: (1, 1, 1, 0). Rounded once the sum is
    // 1 + 2^-23; rounded after each addition both small terms are lost.
    Matrix4 a;
    a.m[4] = std::ldexp(1.0f, -24);
    a.m[8] = std::ldexp(1.0f, -24);
    Matrix4 b;
    b.m[1] = 1.0f;
    b.m[2] = 1.0f;
    EXPECT_EQ((a * b).m[0], 1.0f + std::ldexp(1.0f, -23));

    Matrix4 c;
    c.m[1] = std::ldexp(1.0f, -24);
    c.m[2] = std::ldexp(1.0f, -24);
    Matrix4 d;
    d.m[4] = 1.0f;
    d.m[8] = 1.0f;
    c *= d;  // c[0] = ((1*1 + 2^-24*1) + 2^-24*1) + 0, rounded at each step
    EXPECT_EQ(c.m[0], 1.0f);
}

TEST(Matrix4Test, PointTransformIgnoresTheBottomRow) {
    Matrix4 m = Matrix4::Translation(1, 2, 3);
    Matrix4 odd = m;
    odd.m[15] = 5;
    odd.m[3] = 7;
    const Vector3 p(4, 5, 6);
    EXPECT_VEC3_EQ(m * p, 5.0f, 7.0f, 9.0f);
    EXPECT_VEC3_EQ(odd * p, 5.0f, 7.0f, 9.0f);
    EXPECT_VEC3_EQ(p * m, 4.0f, 5.0f, 6.0f);  // directions take no translation
}

TEST(Matrix4Test, TransposeMovesTheTranslationToTheBottomRow) {
    Matrix4 m = Matrix4::Translation(1, 2, 3);
    m.Transpose();
    EXPECT_EQ(m.m[3], 1.0f);
    EXPECT_EQ(m.m[7], 2.0f);
    EXPECT_EQ(m.m[11], 3.0f);
    EXPECT_EQ(m.m[12], 0.0f);
    EXPECT_EQ(m.m[13], 0.0f);
    EXPECT_EQ(m.m[14], 0.0f);
    m.Transpose();
    EXPECT_MATRIX_BITS(m, Matrix4::Translation(1, 2, 3));
}

TEST(Matrix4Test, InvertTranslationAndScaling) {
    Matrix4 t = Matrix4::Translation(1, 2, 3);
    t.Invert();
    EXPECT_MATRIX_BITS(t, Matrix4::Translation(-1, -2, -3));
    Matrix4 s = Matrix4::Scaling(2, 4, 8);
    s.Invert();
    EXPECT_MATRIX_BITS(s, Matrix4::Scaling(0.5f, 0.25f, 0.125f));
}

TEST(Matrix4Test, InvertExchangesRowsAtAZeroPivot) {
    // The x/y swap is its own inverse; its first pivot is zero.
    Matrix4 swap = FromElements({0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
    const Matrix4 original = swap;
    swap.Invert();
    EXPECT_MATRIX_BITS(swap, original);

    Matrix4 r = Matrix4::RotationZ(0.5f) * Matrix4::Translation(3, -2, 1);
    Matrix4 inverse = r;
    inverse.Invert();
    const Matrix4 product = inverse * r;
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(product.m[i], Matrix4().m[i], 1e-6f);
}

TEST(Matrix4Test, SingularMatrixComesOutNonFinite) {
    Matrix4 singular(0.0f);
    singular.Invert();
    EXPECT_FALSE(std::isfinite(singular.m[0]));
}

TEST(Matrix4Test, RotationBuilders) {
    const Matrix4 x = Matrix4::RotationX(kHalfPi);
    EXPECT_VEC3_NEAR(x * Vector3(0, 1, 0), 0.0f, 0.0f, 1.0f, 1e-7f);
    const Matrix4 z = Matrix4::RotationZ(kHalfPi);
    EXPECT_VEC3_NEAR(z * Vector3(1, 0, 0), 0.0f, 1.0f, 0.0f, 1e-7f);
    // RotationY turns the other way to Rotation about +y.
    const Matrix4 y = Matrix4::RotationY(0.3f);
    const Matrix4 about = Matrix4::Rotation(-0.3f, 0, 1, 0);
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(y.m[i], about.m[i], 1e-7f);
    const Matrix4 axis = Matrix4::Rotation(kHalfPi, Vector3(0, 0, 1));
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(axis.m[i], z.m[i], 1e-7f);
    EXPECT_EQ(Matrix4::RotationZ(0.3f).m[1], static_cast<float>(std::sin(0.3f)));
}

TEST(Matrix4Test, SmallBuildersAndAccessors) {
    const Matrix4 d(3.0f);
    EXPECT_EQ(d.m[0], 3.0f);
    EXPECT_EQ(d.m[10], 3.0f);
    EXPECT_EQ(d.m[15], 1.0f);
    EXPECT_EQ(Matrix4::MirrorY().m[5], -1.0f);
    EXPECT_EQ(Matrix4::MirrorX().m[0], -1.0f);
    EXPECT_EQ(Matrix4::MirrorZ().m[10], -1.0f);
    Matrix4 m = Matrix4::RotationX(0.4f);
    m.SetTranslation(Vector3(4, 5, 6));
    EXPECT_VEC3_EQ(m.GetTranslation(), 4.0f, 5.0f, 6.0f);
    EXPECT_MATRIX_BITS(m.GetRotation(), Matrix4::RotationX(0.4f));
}
