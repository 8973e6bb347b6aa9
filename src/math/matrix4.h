#pragma once

#include "math/vector3.h"

namespace brmath {

struct Quaternion;

// A 4x4 transform of sixteen floats. Element (row r, column c) is m[4c + r]; points
// are column vectors and m[12], m[13], m[14] hold the translation.
struct Matrix4 {
    float m[16];

    Matrix4();                 // identity
    explicit Matrix4(float d); // diagonal d, d, d, 1

    void SetIdentity();
    void Set(const Matrix4& other);
    void Set(const Quaternion& q);  // rotation matrix of q

    // this becomes b * this: the old transform is applied first, then b. The running
    // sum is rounded to float after every addition. b must be another object.
    Matrix4& operator*=(const Matrix4& b);

    // Gauss-Jordan in place. A zero pivot is exchanged with the first later row that
    // is nonzero in its column; a singular matrix comes out non-finite.
    void Invert();
    void Transpose();

    void SetTranslation(float x, float y, float z);
    void SetTranslation(const Vector3& t);
    Matrix4 GetRotation() const;
    Vector3 GetTranslation() const;
    Quaternion ToQuaternion() const;

    static Matrix4 Translation(const Vector3& t);
    static Matrix4 Translation(float x, float y, float z);
    static Matrix4 Scaling(const Vector3& s);
    static Matrix4 Scaling(float x, float y, float z);
    // Angles in radians. RotationY turns the opposite way to Rotation about (0, 1, 0).
    static Matrix4 RotationX(float angle);
    static Matrix4 RotationY(float angle);
    static Matrix4 RotationZ(float angle);
    static Matrix4 Rotation(float angle, float x, float y, float z);
    static Matrix4 Rotation(float angle, const Vector3& axis);
    static Matrix4 MirrorX();
    static Matrix4 MirrorY();
    static Matrix4 MirrorZ();
    static Matrix4 FromQuaternion(float x, float y, float z, float w);
};

// a * b applies b first, then a. Each element is summed in double and rounded to float once.
Matrix4 operator*(const Matrix4& a, const Matrix4& b);

// Point transform (with translation); the bottom row is not read.
inline Vector3 operator*(const Matrix4& t, const Vector3& p) {
    const float* m = t.m;
    return Vector3(((p.x * m[0] + p.y * m[4]) + p.z * m[8]) + m[12],
                   ((p.x * m[1] + p.y * m[5]) + p.z * m[9]) + m[13],
                   ((p.x * m[2] + p.y * m[6]) + p.z * m[10]) + m[14]);
}

// Direction transform (no translation).
inline Vector3 operator*(const Vector3& v, const Matrix4& t) {
    const float* m = t.m;
    return Vector3((v.x * m[0] + v.y * m[4]) + v.z * m[8],
                   (v.x * m[1] + v.y * m[5]) + v.z * m[9],
                   (v.x * m[2] + v.y * m[6]) + v.z * m[10]);
}

}  // namespace brmath
