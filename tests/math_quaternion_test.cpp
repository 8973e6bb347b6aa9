#include <gtest/gtest.h>

#include <cmath>

#include "math/quaternion.h"
#include "support/float_bits.h"

using brmath::Matrix4;
using brmath::Quaternion;
using brmath::Vector3;

namespace {

constexpr double kPi = 3.14159265358979323846;

Quaternion FromXYZ(float x, float y, float z) {
    Quaternion q;
    q.SetFromXYZ(Vector3(x, y, z));
    return q;
}

void ExpectQuaternion(const Quaternion& q, float x, float y, float z, float w, float tolerance) {
    EXPECT_NEAR(q.x, x, tolerance);
    EXPECT_NEAR(q.y, y, tolerance);
    EXPECT_NEAR(q.z, z, tolerance);
    EXPECT_NEAR(q.w, w, tolerance);
}


}  // namespace

TEST(QuaternionTest, DefaultIsTheZeroQuaternion) {
    const Quaternion q;
    EXPECT_EQ(q.x, 0.0f);
    EXPECT_EQ(q.w, 0.0f);
}

TEST(QuaternionTest, SetFromXYZCompletesW) {
    EXPECT_EQ(FromXYZ(0, 0, 0).w, 1.0f);
    // 1 - 0.6f^2 rounded, then the negative root: exactly -0.8f.
    EXPECT_EQ(FromXYZ(0.6f, 0, 0).w, -0.8f);
    EXPECT_EQ(FromXYZ(1, 1, 0).w, 1.0f);  // positive root of 2 - 1
    EXPECT_EQ(FromXYZ(0.5f, 0.5f, 0.5f).w, -0.5f);
    const Quaternion q = FromXYZ(0.6f, 0.2f, -0.1f);
    EXPECT_EQ(q.x, 0.6f);
    EXPECT_EQ(q.y, 0.2f);
    EXPECT_EQ(q.z, -0.1f);
}

TEST(QuaternionTest, ZeroAndIdentityQuaternionsGiveTheIdentityMatrix) {
    EXPECT_MATRIX_BITS(Quaternion().ToMatrix(), Matrix4());
    EXPECT_MATRIX_BITS(Quaternion(0, 0, 0, 1).ToMatrix(), Matrix4());
    Matrix4 m = Matrix4::Translation(1, 2, 3);
    m.Set(Quaternion(0, 0, 0, 1));
    EXPECT_MATRIX_BITS(m, Matrix4());
}

TEST(QuaternionTest, QuarterTurnAboutZMatchesTheMatrixBuilder) {
    const float s = static_cast<float>(std::sin(kPi / 4)), c = static_cast<float>(std::cos(kPi / 4));
    const Matrix4 fromQuaternion = Quaternion(0, 0, s, c).ToMatrix();
    const Matrix4 rotation = Matrix4::RotationZ(static_cast<float>(kPi / 2));
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(fromQuaternion.m[i], rotation.m[i], 1e-6f);

    const Quaternion axisAngle(Vector3(0, 0, 1), 90.0f);
    ExpectQuaternion(axisAngle, 0, 0, 0.7071068f, 0.7071068f, 1e-7f);
    const Matrix4 alias = brmath::QuaternionToMatrix(axisAngle);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(alias.m[i], axisAngle.AsMatrix().m[i]);
}

TEST(QuaternionTest, MatrixToQuaternionBothBranches) {
    ExpectQuaternion(Matrix4().ToQuaternion(), 0, 0, 0, 1, 0);
    Matrix4 halfTurnX;
    halfTurnX.m[5] = -1;
    halfTurnX.m[10] = -1;
    ExpectQuaternion(halfTurnX.ToQuaternion(), 1, 0, 0, 0, 0);
    Matrix4 halfTurnY;
    halfTurnY.m[0] = -1;
    halfTurnY.m[10] = -1;
    ExpectQuaternion(halfTurnY.ToQuaternion(), 0, 1, 0, 0, 0);

    const Quaternion q(Vector3(0.48f, 0.6f, 0.64f), 73.0f);
    const Quaternion back = q.ToMatrix().ToQuaternion();
    ExpectQuaternion(back, q.x, q.y, q.z, q.w, 1e-6f);
}

TEST(QuaternionTest, HamiltonProduct) {
    const Quaternion i(1, 0, 0, 0), j(0, 1, 0, 0);
    ExpectQuaternion(i * j, 0, 0, 1, 0, 0);
    ExpectQuaternion(j * i, 0, 0, -1, 0, 0);
    ExpectQuaternion(i.operator*(j), 0, 0, 1, 0, 0);
    // The matrix of p*q is the product of the matrices, q acting first.
    const Quaternion p(Vector3(1, 0, 0), 30.0f), q(Vector3(0, 1, 0), 50.0f);
    const Matrix4 composed = p.ToMatrix() * q.ToMatrix();
    const Matrix4 direct = (p * q).ToMatrix();
    for (int k = 0; k < 16; ++k) EXPECT_NEAR(composed.m[k], direct.m[k], 1e-6f);
}

TEST(QuaternionTest, NormalizeMultipliesByTheReciprocal) {
    Quaternion zero;
    zero.Normalize();
    ExpectQuaternion(zero, 0, 0, 0, 1, 0);
    Quaternion two(0, 0, 0, 2);
    two.Normalize();
    ExpectQuaternion(two, 0, 0, 0, 1, 0);
    Quaternion q(1, 2, 2, 4);
    q.Normalize();
    EXPECT_EQ(q.y, 2.0f * (1.0f / 5.0f));
}

TEST(QuaternionTest, ArithmeticOperators) {
    Quaternion q(1, 2, 3, 4);
    q += Quaternion(1, 1, 1, 1);
    q -= Quaternion(0, 0, 0, 1);
    q *= 2.0f;
    ExpectQuaternion(q, 4, 6, 8, 8, 0);
    q.Negate();
    ExpectQuaternion(q + Quaternion(4, 6, 8, 8), 0, 0, 0, 0, 0);
    ExpectQuaternion(Quaternion(1, 2, 3, 4) * 0.5f, 0.5f, 1, 1.5f, 2, 0);
    EXPECT_EQ(Quaternion(0, 3, 0, 4).Length(), 5.0f);
    EXPECT_VEC3_EQ(Quaternion(1, 2, 3, 4).GetVector(), 1.0f, 2.0f, 3.0f);
}

TEST(QuaternionTest, SlerpEndsAndHalfway) {
    const float s45 = static_cast<float>(std::sin(kPi / 4)), c45 = static_cast<float>(std::cos(kPi / 4));
    const Quaternion a(0, 0, 0, 1), b(0, 0, s45, c45);
    ExpectQuaternion(brmath::Slerp(a, b, 0.5f), 0, 0, static_cast<float>(std::sin(kPi / 8)),
                     static_cast<float>(std::cos(kPi / 8)), 1e-6f);
    ExpectQuaternion(brmath::Slerp(a, b, 0.0f), 0, 0, 0, 1, 1e-6f);
    ExpectQuaternion(brmath::Slerp(a, b, 1.0f), 0, 0, s45, c45, 1e-6f);
    // Parallel inputs take the linear weights; a negated target is flipped back.
    ExpectQuaternion(brmath::Slerp(b, b, 0.3f), 0, 0, s45, c45, 1e-6f);
    Quaternion minusB = b;
    minusB.Negate();
    ExpectQuaternion(brmath::Slerp(b, minusB, 0.7f), 0, 0, s45, c45, 1e-6f);
    ExpectQuaternion(brmath::Slerp(a, minusB, 1.0f), 0, 0, s45, c45, 1e-6f);
}
