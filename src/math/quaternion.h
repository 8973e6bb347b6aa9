#pragma once

#include "math/matrix4.h"
#include "math/vector3.h"

namespace brmath {

// An orientation x, y, z, w (w last). The default value is the zero quaternion, not
// the identity; nothing enforces unit length.
struct Quaternion {
    float x;
    float y;
    float z;
    float w;

    Quaternion() : x(0.0f), y(0.0f), z(0.0f), w(0.0f) {}
    Quaternion(float x_, float y_, float z_, float w_) : x(x_), y(y_), z(z_), w(w_) {}
    Quaternion(const Vector3& axis, float degrees) : Quaternion() { SetAxisAngle(axis, degrees); }

    void Set(const Quaternion& q) { x = q.x; y = q.y; z = q.z; w = q.w; }
    // Takes x, y, z and completes w so that a unit vector part gets the negative root.
    void SetFromXYZ(const Vector3& v);
    void SetAxisAngle(const Vector3& axis, float degrees);
    Vector3 GetVector() const { return Vector3(x, y, z); }

    Quaternion& operator+=(const Quaternion& q) { x += q.x; y += q.y; z += q.z; w += q.w; return *this; }
    Quaternion& operator-=(const Quaternion& q) { x -= q.x; y -= q.y; z -= q.z; w -= q.w; return *this; }
    Quaternion& operator*=(float s) { x *= s; y *= s; z *= s; w *= s; return *this; }
    Quaternion& Negate() { x = -x; y = -y; z = -z; w = -w; return *this; }
    // Hamilton product this * r (serves both p * q forms: a free operator beside the
    // member would make every product ambiguous).
    Quaternion operator*(const Quaternion& r) const;

    float Length() const;
    // Multiplies by the reciprocal of the length; a zero or NaN length gives the identity.
    void Normalize();

    Matrix4 ToMatrix() const { return Matrix4::FromQuaternion(x, y, z, w); }
    Matrix4 AsMatrix() const { return ToMatrix(); }
};

inline Quaternion operator+(const Quaternion& a, const Quaternion& b) {
    return Quaternion(a.x + b.x, a.y + b.y, a.z + b.z, a.w + b.w);
}
inline Quaternion operator*(const Quaternion& q, float s) { return Quaternion(q.x * s, q.y * s, q.z * s, q.w * s); }
inline Matrix4 QuaternionToMatrix(const Quaternion& q) { return q.ToMatrix(); }

// Spherical interpolation along the shorter arc; the result is not normalised and t
// is not clamped.
Quaternion Slerp(const Quaternion& a, const Quaternion& b, float t);

}  // namespace brmath
