#include "math/quaternion.h"

#include <cmath>

namespace brmath {

namespace {

float RoundedSqrt(float v) { return static_cast<float>(std::sqrt(static_cast<double>(v))); }

}  // namespace

void Quaternion::SetFromXYZ(const Vector3& v) {
    x = v.x;
    y = v.y;
    z = v.z;
    if (x == 0.0f && y == 0.0f && z == 0.0f) {
        w = 1.0f;
        return;
    }
    const float t = 1.0f - ((x * x + y * y) + z * z);
    // A vector part slightly longer than 1 gets a small positive w instead of a NaN.
    w = t < 0.0f ? RoundedSqrt(-t) : -RoundedSqrt(t);
}

void Quaternion::SetAxisAngle(const Vector3& axis, float degrees) {
    const float half = degrees * 0.008726646f;  // pi / 360: degrees to the half angle in radians
    w = static_cast<float>(std::cos(static_cast<double>(half)));
    const float s = static_cast<float>(std::sin(static_cast<double>(half)));
    x = s * axis.x;
    y = s * axis.y;
    z = s * axis.z;
}

Quaternion Quaternion::operator*(const Quaternion& q) const {
    const Quaternion& p = *this;
    return Quaternion(((p.w * q.x + p.x * q.w) + p.y * q.z) - p.z * q.y,
                      ((p.w * q.y + p.y * q.w) + p.z * q.x) - p.x * q.z,
                      ((p.w * q.z + p.z * q.w) + p.x * q.y) - p.y * q.x,
                      ((p.w * q.w - p.x * q.x) - p.y * q.y) - p.z * q.z);
}

float Quaternion::Length() const { return RoundedSqrt(((x * x + y * y) + z * z) + w * w); }

void Quaternion::Normalize() {
    const float l = Length();
    if (!(l < 0.0f || l > 0.0f)) {
        x = 0.0f;
        y = 0.0f;
        z = 0.0f;
        w = 1.0f;
        return;
    }
    const float r = 1.0f / l;
    x *= r;
    y *= r;
    z *= r;
    w *= r;
}

Quaternion Slerp(const Quaternion& a, const Quaternion& b, float t) {
    float c = ((a.x * b.x + a.y * b.y) + a.z * b.z) + a.w * b.w;
    Quaternion target = b;
    if (c < 0.0f) {
        c = -c;
        target.Negate();
    }
    float k0, k1;
    if (1.0f - c > 1e-8f) {
        const double omega = std::acos(static_cast<double>(c));
        const float omegaF = static_cast<float>(omega);
        const float sinOmega = static_cast<float>(std::sin(omega));
        k0 = static_cast<float>(std::sin(static_cast<double>((1.0f - t) * omegaF))) / sinOmega;
        k1 = static_cast<float>(std::sin(static_cast<double>(t * omegaF))) / sinOmega;
    } else {
        k0 = 1.0f - t;
        k1 = t;
    }
    return (a * k0) + (target * k1);
}

}  // namespace brmath
