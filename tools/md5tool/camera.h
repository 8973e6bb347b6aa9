#pragma once

// Framing what the library drew: its bounds, and a camera that sees all of it.
#include <cmath>
#include <vector>

#include "software_device.h"

namespace md5tool {

using convert::StreamTriangle;

struct Vec3 {
    float x, y, z;
};

inline Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator*(Vec3 a, float s) { return {a.x * s, a.y * s, a.z * s}; }
inline float Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 Cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
inline Vec3 Unit(Vec3 a) {
    const float length = std::sqrt(Dot(a, a));
    return length > 0 ? a * (1.0f / length) : a;
}

struct Bounds {
    Vec3 min{1e30f, 1e30f, 1e30f};
    Vec3 max{-1e30f, -1e30f, -1e30f};
    // Widens the bounds to the triangles' finite corners.
    void Add(const std::vector<StreamTriangle>& triangles);
    bool Empty() const { return min.x > max.x; }
};

// A perspective camera looking at the middle of `bounds` from `yaw` degrees around the
// vertical axis and `pitch` degrees above, far enough for all of it to fit.
struct Camera {
    Vec3 eye, right, up, forward;
    float focal = 1;  // in pixels
    float groundHeight = 0;
    Vec3 groundCenter{0, 0, 0};
    float groundRadius = 1;
};
Camera FrameCamera(const Bounds& bounds, float yawDegrees, float pitchDegrees, int width, int height);

}  // namespace md5tool
