#include "software_device.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace md5tool {

namespace {

constexpr float kPi = 3.14159265358979f;
constexpr uint32_t kExpectedFormat = 0x112;  // position, normal, one texture coordinate pair
constexpr uint32_t kLargestBatch = 3333;

SoftwareDevice* OwnerOf(IDirect3DDevice8* self) { return reinterpret_cast<SoftwareDevice::Object*>(self)->owner; }

int32_t RecordDraw(IDirect3DDevice8* self, D3DPRIMITIVETYPE type, uint32_t count, const void* data, uint32_t stride) {
    SoftwareDevice* device = OwnerOf(self);
    // The library draws a mesh of more than 3333 triangles in batches of 3333: a draw
    // after a full batch continues the same mesh.
    const bool continues = !device->calls.empty() && device->lastDrawCount == kLargestBatch;
    const int draw = continues ? device->draws - 1 : device->draws++;
    device->lastDrawCount = count;
    DeviceCall call{true};
    call.primitiveType = type;
    call.primitiveCount = count;
    call.stride = stride;
    call.firstTriangle = device->triangles.size();
    device->calls.push_back(call);
    if (type != D3DPT_TRIANGLELIST || stride != sizeof(StreamVertex) || device->vertexShader != kExpectedFormat) {
        device->sawUnknownFormat = true;
        return -1;
    }
    const StreamVertex* vertices = static_cast<const StreamVertex*>(data);
    for (uint32_t t = 0; t < count; ++t) {
        StreamTriangle triangle;
        std::memcpy(triangle.corners, vertices + 3 * t, sizeof(triangle.corners));
        triangle.draw = draw;
        device->triangles.push_back(triangle);
    }
    return 0;
}

int32_t RecordShader(IDirect3DDevice8* self, uint32_t handle) {
    DeviceCall call{false};
    call.handle = handle;
    OwnerOf(self)->calls.push_back(call);
    OwnerOf(self)->vertexShader = handle;
    return 0;
}

#if defined(_WIN32)
// The library calls a COM device: a method table of 97 entries with DrawPrimitiveUP
// at 72 and SetVertexShader at 76, as d3d8.h lays them out; the others stay empty.
HRESULT STDMETHODCALLTYPE DrawPrimitiveUP(IDirect3DDevice8* self, D3DPRIMITIVETYPE type, UINT count,
                                          const void* data, UINT stride) {
    return RecordDraw(self, type, count, data, stride);
}
HRESULT STDMETHODCALLTYPE SetVertexShader(IDirect3DDevice8* self, DWORD handle) { return RecordShader(self, handle); }
struct MethodTable {
    void* entries[97];
    MethodTable() : entries() {
        entries[72] = reinterpret_cast<void*>(&DrawPrimitiveUP);
        entries[76] = reinterpret_cast<void*>(&SetVertexShader);
    }
};
const MethodTable kMethods;
const void* const kMethodTable = kMethods.entries;
#else
const IDirect3DDevice8Vtbl kMethods = {&RecordDraw, &RecordShader};
const void* const kMethodTable = &kMethods;
#endif

Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec3 operator*(Vec3 a, float s) { return {a.x * s, a.y * s, a.z * s}; }
float Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 Cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
Vec3 Unit(Vec3 a) {
    const float length = std::sqrt(Dot(a, a));
    return length > 0 ? a * (1.0f / length) : a;
}

// Mesh colours: warm enamel, steel blue, then a few more for models with more meshes.
const Color kPalette[] = {{0.93f, 0.62f, 0.28f}, {0.35f, 0.55f, 0.80f}, {0.45f, 0.72f, 0.45f},
                          {0.80f, 0.40f, 0.55f}, {0.65f, 0.60f, 0.85f}, {0.85f, 0.80f, 0.40f}};

Color Background(int y, int height) {
    const float t = static_cast<float>(y) / static_cast<float>(std::max(1, height - 1));
    return {0.95f - 0.10f * t, 0.96f - 0.08f * t, 0.98f - 0.06f * t};
}

struct Projected {
    float x, y, inverseDepth;
};

// A pixel coordinate limited to lo..hi, for any float (also huge or not a number).
int PixelIndex(float value, int lo, int hi) {
    if (!(value > static_cast<float>(lo))) return lo;
    return value < static_cast<float>(hi) ? static_cast<int>(value) : hi;
}

// Whether a texture coordinate falls in an odd square of the 8-per-unit checker;
// works in double so that no coordinate, however large, overflows an integer.
bool OddSquare(float coordinate) {
    const double square = std::floor(static_cast<double>(coordinate) * 8.0);
    return std::isfinite(square) && std::fmod(square, 2.0) != 0.0;
}

}  // namespace

SoftwareDevice::SoftwareDevice() : object_{kMethodTable, this} {}

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

double Rasterize(const std::vector<StreamTriangle>& triangles, const Camera& camera, Image& image) {
    const int width = image.Width(), height = image.Height();
    std::vector<float> depth(static_cast<size_t>(width) * height, 0.0f);  // 1 / distance; 0 = empty
    const float cx = width / 2.0f, cy = height / 2.0f;
    const Vec3 key = Unit(camera.right * -0.5f + camera.up * 0.8f + camera.forward * -0.6f);
    const Vec3 fill = Unit(camera.right * 0.8f + camera.up * 0.1f + camera.forward * -0.4f);

    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) image.At(x, y) = Background(y, height);
    }

    for (const StreamTriangle& triangle : triangles) {
        Projected p[3];
        bool visible = true;
        for (int i = 0; i < 3; ++i) {
            const StreamVertex& v = triangle.corners[i];
            const Vec3 relative = Vec3{v.position[0], v.position[1], v.position[2]} - camera.eye;
            const float z = Dot(relative, camera.forward);
            if (!(z > 1e-3f)) visible = false;  // behind the camera, or not a number
            p[i] = {cx + Dot(relative, camera.right) / z * camera.focal, cy - Dot(relative, camera.up) / z * camera.focal,
                    1.0f / z};
        }
        if (!visible) continue;
        const float area = (p[1].x - p[0].x) * (p[2].y - p[0].y) - (p[1].y - p[0].y) * (p[2].x - p[0].x);
        if (!(std::fabs(area) > 1e-12f)) continue;
        // The box on the picture, one pixel outside it at the most (then empty).
        const int left = std::max(0, PixelIndex(std::floor(std::min({p[0].x, p[1].x, p[2].x})), -1, width));
        const int right = std::min(width - 1, PixelIndex(std::ceil(std::max({p[0].x, p[1].x, p[2].x})), -1, width));
        const int top = std::max(0, PixelIndex(std::floor(std::min({p[0].y, p[1].y, p[2].y})), -1, height));
        const int bottom = std::min(height - 1, PixelIndex(std::ceil(std::max({p[0].y, p[1].y, p[2].y})), -1, height));
        const Color base = kPalette[triangle.draw % (sizeof(kPalette) / sizeof(kPalette[0]))];
        for (int y = top; y <= bottom; ++y) {
            for (int x = left; x <= right; ++x) {
                const float px = x + 0.5f, py = y + 0.5f;
                float b[3];
                for (int i = 0; i < 3; ++i) {
                    const Projected& a = p[(i + 1) % 3];
                    const Projected& c = p[(i + 2) % 3];
                    b[i] = ((c.x - a.x) * (py - a.y) - (c.y - a.y) * (px - a.x)) / area;
                }
                if (b[0] < 0 || b[1] < 0 || b[2] < 0) continue;
                const float inverseDepth = b[0] * p[0].inverseDepth + b[1] * p[1].inverseDepth + b[2] * p[2].inverseDepth;
                float& stored = depth[static_cast<size_t>(y) * width + x];
                if (inverseDepth <= stored) continue;
                stored = inverseDepth;
                // Perspective-correct weights for the normal and texture coordinates.
                float w[3], sum = 0;
                for (int i = 0; i < 3; ++i) sum += w[i] = b[i] * p[i].inverseDepth;
                Vec3 normal{0, 0, 0};
                float u = 0, v = 0;
                for (int i = 0; i < 3; ++i) {
                    const StreamVertex& corner = triangle.corners[i];
                    const float k = w[i] / sum;
                    normal = normal + Vec3{corner.normal[0], corner.normal[1], corner.normal[2]} * k;
                    u += corner.texCoord[0] * k;
                    v += corner.texCoord[1] * k;
                }
                normal = Unit(normal);
                if (Dot(normal, camera.forward) > 0) normal = normal * -1.0f;  // lit from both sides
                const float diffuse = std::max(0.0f, Dot(normal, key)) * 0.75f + std::max(0.0f, Dot(normal, fill)) * 0.25f;
                const Vec3 half = Unit(key - camera.forward);
                const float specular = std::pow(std::max(0.0f, Dot(normal, half)), 40.0f) * 0.35f;
                const bool checker = OddSquare(u) != OddSquare(v);
                const float tint = checker ? 0.78f : 1.0f;
                const float light = 0.28f + 0.85f * diffuse;
                image.At(x, y) = {std::min(1.0f, base.r * tint * light + specular),
                                  std::min(1.0f, base.g * tint * light + specular),
                                  std::min(1.0f, base.b * tint * light + specular)};
            }
        }
    }

    // A soft shadow on the ground under the model, where the background shows.
    size_t covered = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (depth[static_cast<size_t>(y) * width + x] > 0) {
                ++covered;
                continue;
            }
            const Vec3 ray = Unit(camera.forward * camera.focal + camera.right * (x + 0.5f - cx) +
                                  camera.up * (cy - y - 0.5f));
            if (ray.y >= -1e-4f) continue;
            const float t = (camera.groundHeight - camera.eye.y) / ray.y;
            const Vec3 hit = camera.eye + ray * t;
            const Vec3 offset = hit - camera.groundCenter;
            const float d = std::sqrt(offset.x * offset.x + offset.z * offset.z) / camera.groundRadius;
            const float shade = 1.0f - 0.30f * std::exp(-d * d * 1.5f);
            Color& c = image.At(x, y);
            c = {c.r * shade, c.g * shade, c.b * shade};
        }
    }
    return static_cast<double>(covered) / static_cast<double>(static_cast<size_t>(width) * height);
}

}  // namespace md5tool
