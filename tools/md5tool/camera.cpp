// Framing the drawn model: its bounds and a perspective camera that sees all of it.
#include "camera.h"

#include <algorithm>
#include <cmath>

namespace md5tool {

using convert::StreamVertex;

namespace {

constexpr float kPi = 3.14159265358979f;

}  // namespace

void Bounds::Add(const std::vector<StreamTriangle>& triangles) {
    for (const StreamTriangle& triangle : triangles) {
        for (const StreamVertex& v : triangle.corners) {
            if (!std::isfinite(v.position[0]) || !std::isfinite(v.position[1]) || !std::isfinite(v.position[2])) continue;
            min = {std::min(min.x, v.position[0]), std::min(min.y, v.position[1]), std::min(min.z, v.position[2])};
            max = {std::max(max.x, v.position[0]), std::max(max.y, v.position[1]), std::max(max.z, v.position[2])};
        }
    }
}

Camera FrameCamera(const Bounds& bounds, float yawDegrees, float pitchDegrees, int width, int height) {
    Camera camera;
    const Vec3 center = bounds.Empty() ? Vec3{0, 0, 0} : (bounds.min + bounds.max) * 0.5f;
    const float radius = bounds.Empty() ? 1.0f : std::max(1e-3f, std::sqrt(Dot(bounds.max - center, bounds.max - center)));
    const float fovY = 35.0f * kPi / 180.0f;
    const float aspect = static_cast<float>(width) / static_cast<float>(height);
    const float halfFov = std::min(fovY / 2, std::atan(std::tan(fovY / 2) * aspect));
    const float yaw = yawDegrees * kPi / 180.0f, pitch = pitchDegrees * kPi / 180.0f;
    // The device's axes are left-handed with y up; the model faces -z there.
    const Vec3 towardsEye{std::sin(yaw) * std::cos(pitch), std::sin(pitch), -std::cos(yaw) * std::cos(pitch)};
    camera.forward = towardsEye * -1.0f;
    camera.right = Unit(Cross(Vec3{0, 1, 0}, camera.forward));
    camera.up = Cross(camera.forward, camera.right);
    // Back off until every corner of the box fits within 88% of the picture.
    const float tanY = std::tan(fovY / 2) * 0.88f, tanX = std::tan(fovY / 2) * aspect * 0.88f;
    float distance = radius / std::sin(halfFov) * 0.2f;
    for (int corner = 0; corner < 8 && !bounds.Empty(); ++corner) {
        const Vec3 p{(corner & 1) ? bounds.max.x : bounds.min.x, (corner & 2) ? bounds.max.y : bounds.min.y,
                     (corner & 4) ? bounds.max.z : bounds.min.z};
        const Vec3 offset = p - center;
        const float depth = Dot(offset, camera.forward);
        distance = std::max({distance, std::fabs(Dot(offset, camera.right)) / tanX - depth,
                             std::fabs(Dot(offset, camera.up)) / tanY - depth});
    }
    camera.eye = center + towardsEye * distance;
    camera.focal = static_cast<float>(height) / 2 / std::tan(fovY / 2);
    camera.groundHeight = bounds.Empty() ? 0 : bounds.min.y;
    camera.groundCenter = {center.x, camera.groundHeight, center.z};
    camera.groundRadius = bounds.Empty() ? 1 : std::max(bounds.max.x - bounds.min.x, bounds.max.z - bounds.min.z) * 0.5f;
    return camera;
}

}  // namespace md5tool
