#pragma once

#include <cmath>

namespace brmath {

// Three single-precision components. Every operation evaluates its formula in the
// order written, each step rounded to float, so results are reproducible to the bit.
struct Vector3 {
    float x;
    float y;
    float z;

    Vector3() : x(0.0f), y(0.0f), z(0.0f) {}
    explicit Vector3(float s) : x(s), y(s), z(s) {}
    Vector3(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}

    void Set(float s) { x = s; y = s; z = s; }
    void Set(float x_, float y_, float z_) { x = x_; y = y_; z = z_; }
    void Set(const Vector3& v) { x = v.x; y = v.y; z = v.z; }

    void Negate() { x = -x; y = -y; z = -z; }
    // A uniform direction over the cube (not the sphere), always of unit length.
    void Randomize();

    void operator+=(const Vector3& v) { x += v.x; y += v.y; z += v.z; }
    void operator+=(float s) { x += s; y += s; z += s; }
    void operator-=(const Vector3& v) { x -= v.x; y -= v.y; z -= v.z; }
    void operator*=(const Vector3& v) { x *= v.x; y *= v.y; z *= v.z; }
    void operator*=(float s) { x *= s; y *= s; z *= s; }
    void operator/=(float s) { x /= s; y /= s; z /= s; }

    // 0 gives x, 1 gives y, 2 gives z; any other index gives x.
    float& operator[](int i) { return i == 1 ? y : (i == 2 ? z : x); }
    const float& operator[](int i) const { return i == 1 ? y : (i == 2 ? z : x); }

    // The root of a float is the same whether taken in float or rounded from double.
    float Length() const { return std::sqrt((x * x + y * y) + z * z); }
    // Divides by the length rounded to float; a zero or NaN length leaves the vector as it is.
    void Normalize() {
        const float length = Length();
        if (length < 0.0f || length > 0.0f) {
            x /= length;
            y /= length;
            z /= length;
        }
    }
};

inline Vector3 operator+(const Vector3& a, const Vector3& b) { return Vector3(a.x + b.x, a.y + b.y, a.z + b.z); }
inline Vector3 operator-(const Vector3& a, const Vector3& b) { return Vector3(a.x - b.x, a.y - b.y, a.z - b.z); }
inline Vector3 operator-(const Vector3& v) { return Vector3(-v.x, -v.y, -v.z); }
inline Vector3 operator*(const Vector3& a, const Vector3& b) { return Vector3(a.x * b.x, a.y * b.y, a.z * b.z); }
inline Vector3 operator*(const Vector3& v, float s) { return Vector3(s * v.x, s * v.y, s * v.z); }
inline Vector3 operator*(float s, const Vector3& v) { return Vector3(s * v.x, s * v.y, s * v.z); }
inline Vector3 operator/(const Vector3& v, float s) { return Vector3(v.x / s, v.y / s, v.z / s); }
inline Vector3 operator/(const Vector3& a, const Vector3& b) { return Vector3(a.x / b.x, a.y / b.y, a.z / b.z); }

inline float Dot(const Vector3& a, const Vector3& b) { return (a.x * b.x + a.y * b.y) + a.z * b.z; }

inline Vector3 Cross(const Vector3& a, const Vector3& b) {
    return Vector3(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}

}  // namespace brmath
