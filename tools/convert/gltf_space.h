#pragma once

// Rigid transforms in double for glTF export and import: the library's column-major float
// matrices taken apart into glTF's translation and rotation, and composed again.
#include <array>
#include <cmath>

#include "math/matrix4.h"

namespace convert {

// A 3x4 affine transform: rows of the linear part, and the translation.
struct Affine {
    double m[3][3];
    double t[3];
};

inline Affine FromMatrix(const brmath::Matrix4& matrix) {
    Affine a{};
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) a.m[r][c] = matrix.m[4 * c + r];
        a.t[r] = matrix.m[12 + r];
    }
    return a;
}

// a * b: b applied first.
inline Affine Multiply(const Affine& a, const Affine& b) {
    Affine r{};
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            for (int k = 0; k < 3; ++k) r.m[i][j] += a.m[i][k] * b.m[k][j];
        }
        r.t[i] = a.t[i];
        for (int k = 0; k < 3; ++k) r.t[i] += a.m[i][k] * b.t[k];
    }
    return r;
}

inline Affine Inverse(const Affine& a) {
    const auto& m = a.m;
    const double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                       m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                       m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
    Affine r{};
    r.m[0][0] = (m[1][1] * m[2][2] - m[1][2] * m[2][1]) / det;
    r.m[0][1] = (m[0][2] * m[2][1] - m[0][1] * m[2][2]) / det;
    r.m[0][2] = (m[0][1] * m[1][2] - m[0][2] * m[1][1]) / det;
    r.m[1][0] = (m[1][2] * m[2][0] - m[1][0] * m[2][2]) / det;
    r.m[1][1] = (m[0][0] * m[2][2] - m[0][2] * m[2][0]) / det;
    r.m[1][2] = (m[0][2] * m[1][0] - m[0][0] * m[1][2]) / det;
    r.m[2][0] = (m[1][0] * m[2][1] - m[1][1] * m[2][0]) / det;
    r.m[2][1] = (m[0][1] * m[2][0] - m[0][0] * m[2][1]) / det;
    r.m[2][2] = (m[0][0] * m[1][1] - m[0][1] * m[1][0]) / det;
    for (int i = 0; i < 3; ++i) r.t[i] = -(r.m[i][0] * a.t[0] + r.m[i][1] * a.t[1] + r.m[i][2] * a.t[2]);
    return r;
}

// The 16 elements in glTF's (and the library's) column-major order.
inline std::array<double, 16> ColumnMajor(const Affine& a) {
    std::array<double, 16> out{};
    for (int c = 0; c < 3; ++c) {
        for (int r = 0; r < 3; ++r) out[4 * c + r] = a.m[r][c];
    }
    for (int r = 0; r < 3; ++r) out[12 + r] = a.t[r];
    out[15] = 1;
    return out;
}

// (x, y, z, w) scaled to unit length; the identity when it has no length.
inline std::array<double, 4> NormalizedQuaternion(double x, double y, double z, double w) {
    const double length = std::sqrt(x * x + y * y + z * z + w * w);
    if (!(length > 0) || !std::isfinite(length)) return {0, 0, 0, 1};
    return {x / length, y / length, z / length, w / length};
}

struct RigidParts {
    std::array<double, 3> translation;
    std::array<double, 4> rotation;  // x, y, z, w, unit length
};

// The translation and the rotation (as a unit quaternion) of a rigid transform.
inline RigidParts Decompose(const Affine& a) {
    const auto& m = a.m;
    double x, y, z, w;
    const double trace = m[0][0] + m[1][1] + m[2][2];
    if (trace > 0) {
        const double s = std::sqrt(trace + 1.0) * 2;
        w = 0.25 * s;
        x = (m[2][1] - m[1][2]) / s;
        y = (m[0][2] - m[2][0]) / s;
        z = (m[1][0] - m[0][1]) / s;
    } else if (m[0][0] > m[1][1] && m[0][0] > m[2][2]) {
        const double s = std::sqrt(1.0 + m[0][0] - m[1][1] - m[2][2]) * 2;
        w = (m[2][1] - m[1][2]) / s;
        x = 0.25 * s;
        y = (m[0][1] + m[1][0]) / s;
        z = (m[0][2] + m[2][0]) / s;
    } else if (m[1][1] > m[2][2]) {
        const double s = std::sqrt(1.0 + m[1][1] - m[0][0] - m[2][2]) * 2;
        w = (m[0][2] - m[2][0]) / s;
        x = (m[0][1] + m[1][0]) / s;
        y = 0.25 * s;
        z = (m[1][2] + m[2][1]) / s;
    } else {
        const double s = std::sqrt(1.0 + m[2][2] - m[0][0] - m[1][1]) * 2;
        w = (m[1][0] - m[0][1]) / s;
        x = (m[0][2] + m[2][0]) / s;
        y = (m[1][2] + m[2][1]) / s;
        z = 0.25 * s;
    }
    return {{a.t[0], a.t[1], a.t[2]}, NormalizedQuaternion(x, y, z, w)};
}

// The scales export and import take: beyond them, positions in glTF's and MD5's 32-bit
// floats lose all precision or overflow.
inline bool ScaleInRange(double scale) { return scale >= 1e-6 && scale <= 1e6; }

// MD5's z-up space as glTF's y-up one: the quarter turn about x that takes (x, y, z) to
// (x, z, -y), and a scale to metres, applied to the data itself.
struct GltfSpace {
    double scale = 1;

    std::array<double, 3> Point(double x, double y, double z) const { return {scale * x, scale * z, -scale * y}; }
    std::array<double, 3> Direction(double x, double y, double z) const { return {x, z, -y}; }
    // A rigid transform of MD5's space as the same transform of glTF's: T A R A^-1, the
    // translation turned and scaled.
    Affine Transform(const Affine& a) const {
        Affine r{};
        const int row[3] = {0, 2, 1};         // glTF's axis i is MD5's axis row[i]
        const double sign[3] = {1, 1, -1};    // with this sign
        for (int i = 0; i < 3; ++i) {
            for (int j = 0; j < 3; ++j) r.m[i][j] = sign[i] * sign[j] * a.m[row[i]][row[j]];
            r.t[i] = scale * sign[i] * a.t[row[i]];
        }
        return r;
    }
};

}  // namespace convert
