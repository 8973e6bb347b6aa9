#include "math/matrix4.h"

#include <cmath>

#include "math/quaternion.h"

namespace brmath {

namespace {

float RoundedCos(float angle) { return static_cast<float>(std::cos(static_cast<double>(angle))); }
float RoundedSin(float angle) { return static_cast<float>(std::sin(static_cast<double>(angle))); }

void SwapRows(float* a, int i, int k) {
    for (int j = 0; j < 4; ++j) {
        const float t = a[4 * i + j];
        a[4 * i + j] = a[4 * k + j];
        a[4 * k + j] = t;
    }
}

}  // namespace

Matrix4::Matrix4() { SetIdentity(); }

Matrix4::Matrix4(float d) {
    SetIdentity();
    m[0] = d;
    m[5] = d;
    m[10] = d;
}

void Matrix4::SetIdentity() {
    for (int i = 0; i < 16; ++i) m[i] = (i % 5 == 0) ? 1.0f : 0.0f;
}

void Matrix4::Set(const Matrix4& other) {
    for (int i = 0; i < 16; ++i) m[i] = other.m[i];
}

void Matrix4::Set(const Quaternion& q) { Set(q.ToMatrix()); }

Matrix4 operator*(const Matrix4& a, const Matrix4& b) {
    Matrix4 r;
    for (int j = 0; j < 4; ++j) {
        for (int i = 0; i < 4; ++i) {
            // Products of floats are exact in double; the sum is rounded to float once.
            const double sum = static_cast<double>(a.m[i]) * b.m[4 * j] +
                               static_cast<double>(a.m[4 + i]) * b.m[4 * j + 1] +
                               static_cast<double>(a.m[8 + i]) * b.m[4 * j + 2] +
                               static_cast<double>(a.m[12 + i]) * b.m[4 * j + 3];
            r.m[4 * j + i] = static_cast<float>(sum);
        }
    }
    return r;
}

Matrix4& Matrix4::operator*=(const Matrix4& b) {
    float c[16];
    for (int i = 0; i < 16; ++i) c[i] = m[i];
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            float s = 0.0f;
            for (int k = 0; k < 4; ++k) s = s + c[4 * i + k] * b.m[4 * k + j];
            m[4 * i + j] = s;
        }
    }
    return *this;
}

void Matrix4::Invert() {
    float r[16];
    for (int i = 0; i < 16; ++i) r[i] = (i % 5 == 0) ? 1.0f : 0.0f;
    for (int i = 0; i < 4; ++i) {
        if (m[4 * i + i] == 0.0f) {
            for (int k = i + 1; k < 4; ++k) {
                if (m[4 * k + i] != 0.0f) {
                    SwapRows(m, i, k);
                    SwapRows(r, i, k);
                    break;
                }
            }
        }
        const float p = m[4 * i + i];
        if (p != 1.0f) {
            for (int j = 0; j < 4; ++j) {
                r[4 * i + j] /= p;
                m[4 * i + j] /= p;
            }
        }
        for (int k = 0; k < 4; ++k) {
            if (k == i) continue;
            const float f = m[4 * k + i];
            if (f == 0.0f) continue;
            for (int j = 0; j < 4; ++j) {
                m[4 * k + j] = m[4 * k + j] - f * m[4 * i + j];
                r[4 * k + j] = r[4 * k + j] - f * r[4 * i + j];
            }
        }
    }
    for (int i = 0; i < 16; ++i) m[i] = r[i];
}

void Matrix4::Transpose() {
    for (int i = 0; i < 4; ++i) {
        for (int j = i + 1; j < 4; ++j) {
            const float t = m[4 * i + j];
            m[4 * i + j] = m[4 * j + i];
            m[4 * j + i] = t;
        }
    }
}

void Matrix4::SetTranslation(float x, float y, float z) {
    m[12] = x;
    m[13] = y;
    m[14] = z;
}

void Matrix4::SetTranslation(const Vector3& t) { SetTranslation(t.x, t.y, t.z); }

Matrix4 Matrix4::GetRotation() const {
    Matrix4 r;
    for (int c = 0; c < 3; ++c)
        for (int row = 0; row < 3; ++row) r.m[4 * c + row] = m[4 * c + row];
    return r;
}

Vector3 Matrix4::GetTranslation() const { return Vector3(m[12], m[13], m[14]); }

Matrix4 Matrix4::Translation(const Vector3& t) { return Translation(t.x, t.y, t.z); }

Matrix4 Matrix4::Translation(float x, float y, float z) {
    Matrix4 r;
    r.SetTranslation(x, y, z);
    return r;
}

Matrix4 Matrix4::Scaling(const Vector3& s) { return Scaling(s.x, s.y, s.z); }

Matrix4 Matrix4::Scaling(float x, float y, float z) {
    Matrix4 r;
    r.m[0] = x;
    r.m[5] = y;
    r.m[10] = z;
    return r;
}

Matrix4 Matrix4::RotationX(float angle) {
    const float c = RoundedCos(angle), s = RoundedSin(angle);
    Matrix4 r;
    r.m[5] = c;
    r.m[6] = s;
    r.m[9] = -s;
    r.m[10] = c;
    return r;
}

Matrix4 Matrix4::RotationY(float angle) {
    const float c = RoundedCos(angle), s = RoundedSin(angle);
    Matrix4 r;
    r.m[0] = c;
    r.m[2] = s;
    r.m[8] = -s;
    r.m[10] = c;
    return r;
}

Matrix4 Matrix4::RotationZ(float angle) {
    const float c = RoundedCos(angle), s = RoundedSin(angle);
    Matrix4 r;
    r.m[0] = c;
    r.m[1] = s;
    r.m[4] = -s;
    r.m[5] = c;
    return r;
}

Matrix4 Matrix4::Rotation(float angle, float x, float y, float z) {
    const float c = RoundedCos(angle), s = RoundedSin(angle);
    const float t = 1.0f - c;
    const float xx = x * x, yy = y * y, zz = z * z;
    const float xy = x * y, xz = x * z, yz = y * z;
    const float xs = x * s, ys = y * s, zs = z * s;
    Matrix4 r;
    r.m[0] = (1.0f - xx) * c + xx;
    r.m[1] = xy * t + zs;
    r.m[2] = xz * t - ys;
    r.m[3] = 0.0f;
    r.m[4] = xy * t - zs;
    r.m[5] = (1.0f - yy) * c + yy;
    r.m[6] = yz * t + xs;
    r.m[7] = 0.0f;
    r.m[8] = xz * t + ys;
    r.m[9] = yz * t - xs;
    r.m[10] = (1.0f - zz) * c + zz;
    r.m[11] = 0.0f;
    return r;
}

Matrix4 Matrix4::Rotation(float angle, const Vector3& axis) { return Rotation(angle, axis.x, axis.y, axis.z); }

Matrix4 Matrix4::MirrorX() { return Scaling(-1.0f, 1.0f, 1.0f); }
Matrix4 Matrix4::MirrorY() { return Scaling(1.0f, -1.0f, 1.0f); }
Matrix4 Matrix4::MirrorZ() { return Scaling(1.0f, 1.0f, -1.0f); }

Matrix4 Matrix4::FromQuaternion(float x, float y, float z, float w) {
    const float x2 = x + x, y2 = y + y, z2 = z + z;
    const float xx = x * x2, xy = x * y2, xz = x * z2;
    const float yy = y * y2, yz = y * z2, zz = z * z2;
    const float wx = w * x2, wy = w * y2, wz = w * z2;
    Matrix4 r;
    r.m[0] = 1.0f - (yy + zz);
    r.m[1] = xy + wz;
    r.m[2] = xz - wy;
    r.m[3] = 0.0f;
    r.m[4] = xy - wz;
    r.m[5] = 1.0f - (xx + zz);
    r.m[6] = yz + wx;
    r.m[7] = 0.0f;
    r.m[8] = xz + wy;
    r.m[9] = yz - wx;
    r.m[10] = 1.0f - (xx + yy);
    r.m[11] = 0.0f;
    return r;
}

Quaternion Matrix4::ToQuaternion() const {
    Quaternion q;
    const float trace = (m[0] + m[5]) + m[10];
    if (trace > 0.0f) {
        const float s = static_cast<float>(std::sqrt(static_cast<double>(trace + 1.0f)));
        q.w = s / 2.0f;
        const float r = 0.5f / s;
        q.x = (m[6] - m[9]) * r;
        q.y = (m[8] - m[2]) * r;
        q.z = (m[1] - m[4]) * r;
        return q;
    }
    int i = 0;
    if (m[5] > m[0]) i = 1;
    if (m[10] > m[4 * i + i]) i = 2;
    const int j = (i + 1) % 3;
    const int k = (j + 1) % 3;
    float s = static_cast<float>(
        std::sqrt(static_cast<double>((m[4 * i + i] - (m[4 * j + j] + m[4 * k + k])) + 1.0f)));
    float* v[3] = {&q.x, &q.y, &q.z};
    *v[i] = s * 0.5f;
    if (s != 0.0f) s = 0.5f / s;
    q.w = (m[4 * j + k] - m[4 * k + j]) * s;
    *v[j] = (m[4 * i + j] + m[4 * j + i]) * s;
    *v[k] = (m[4 * i + k] + m[4 * k + i]) * s;
    return q;
}

}  // namespace brmath
