// The rasterizer: depth buffer, two-sided lighting from the library's normals, a
// checker pattern from the texture coordinates, each mesh in its own colour, and a
// soft ground shadow over a light background.
#include "rasterizer.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace md5tool {

using convert::StreamVertex;

namespace {

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

// One picture being drawn: the camera, the depth buffer (1 / distance; 0 = empty) and
// the lights, which turn with the camera.
struct Canvas {
    Canvas(const Camera& view, Image& picture)
        : camera(view),
          image(picture),
          width(picture.Width()),
          height(picture.Height()),
          depth(static_cast<size_t>(width) * height, 0.0f),
          cx(width / 2.0f),
          cy(height / 2.0f),
          key(Unit(view.right * -0.5f + view.up * 0.8f + view.forward * -0.6f)),
          fill(Unit(view.right * 0.8f + view.up * 0.1f + view.forward * -0.4f)) {}

    const Camera& camera;
    Image& image;
    const int width, height;
    std::vector<float> depth;
    const float cx, cy;
    const Vec3 key, fill;
};

// The triangle's corners on the picture; false when one lies behind the camera.
bool Project(const Canvas& canvas, const StreamTriangle& triangle, Projected p[3]) {
    const Camera& camera = canvas.camera;
    bool visible = true;
    for (int i = 0; i < 3; ++i) {
        const StreamVertex& v = triangle.corners[i];
        const Vec3 relative = Vec3{v.position[0], v.position[1], v.position[2]} - camera.eye;
        const float z = Dot(relative, camera.forward);
        if (!(z > 1e-3f)) visible = false;  // behind the camera, or not a number
        p[i] = {canvas.cx + Dot(relative, camera.right) / z * camera.focal,
                canvas.cy - Dot(relative, camera.up) / z * camera.focal, 1.0f / z};
    }
    return visible;
}

// The colour of a covered pixel from its barycentric weights `b`.
Color Shade(const Canvas& canvas, const StreamTriangle& triangle, const Projected p[3], const float b[3], Color base) {
    const Camera& camera = canvas.camera;
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
    const float diffuse =
        std::max(0.0f, Dot(normal, canvas.key)) * 0.75f + std::max(0.0f, Dot(normal, canvas.fill)) * 0.25f;
    const Vec3 half = Unit(canvas.key - camera.forward);
    const float specular = std::pow(std::max(0.0f, Dot(normal, half)), 40.0f) * 0.35f;
    const bool checker = OddSquare(u) != OddSquare(v);
    const float tint = checker ? 0.78f : 1.0f;
    const float light = 0.28f + 0.85f * diffuse;
    return {std::min(1.0f, base.r * tint * light + specular), std::min(1.0f, base.g * tint * light + specular),
            std::min(1.0f, base.b * tint * light + specular)};
}

// Every pixel of the triangle's box that it covers nearer than what is drawn there.
void Fill(Canvas& canvas, const StreamTriangle& triangle, const Projected p[3], float area) {
    const int width = canvas.width, height = canvas.height;
    // The box on the picture, one pixel outside it at the most (then empty).
    const int left = std::max(0, PixelIndex(std::floor(std::min({p[0].x, p[1].x, p[2].x})), -1, width));
    const int right = std::min(width - 1, PixelIndex(std::ceil(std::max({p[0].x, p[1].x, p[2].x})), -1, width));
    const int top = std::max(0, PixelIndex(std::floor(std::min({p[0].y, p[1].y, p[2].y})), -1, height));
    const int bottom = std::min(height - 1, PixelIndex(std::ceil(std::max({p[0].y, p[1].y, p[2].y})), -1, height));
    const Color base = kPalette[static_cast<size_t>(triangle.mesh) % (sizeof(kPalette) / sizeof(kPalette[0]))];
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
            float& stored = canvas.depth[static_cast<size_t>(y) * width + x];
            if (inverseDepth <= stored) continue;
            stored = inverseDepth;
            canvas.image.At(x, y) = Shade(canvas, triangle, p, b, base);
        }
    }
}

void Draw(Canvas& canvas, const StreamTriangle& triangle) {
    Projected p[3];
    if (!Project(canvas, triangle, p)) return;
    const Vec3 front{triangle.front[0], triangle.front[1], triangle.front[2]};
    const StreamVertex& first = triangle.corners[0];
    const Vec3 toEye = canvas.camera.eye - Vec3{first.position[0], first.position[1], first.position[2]};
    if (Dot(front, toEye) < 0) return;  // a one-sided triangle seen from behind
    const float area = (p[1].x - p[0].x) * (p[2].y - p[0].y) - (p[1].y - p[0].y) * (p[2].x - p[0].x);
    if (!(std::fabs(area) > 1e-12f)) return;
    Fill(canvas, triangle, p, area);
}

// A soft shadow on the ground under the model, where the background shows; returns
// the share of pixels the model covers.
double ShadeGround(Canvas& canvas) {
    const Camera& camera = canvas.camera;
    const int width = canvas.width, height = canvas.height;
    size_t covered = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (canvas.depth[static_cast<size_t>(y) * width + x] > 0) {
                ++covered;
                continue;
            }
            const Vec3 ray = Unit(camera.forward * camera.focal + camera.right * (x + 0.5f - canvas.cx) +
                                  camera.up * (canvas.cy - y - 0.5f));
            if (ray.y >= -1e-4f) continue;
            const float t = (camera.groundHeight - camera.eye.y) / ray.y;
            const Vec3 hit = camera.eye + ray * t;
            const Vec3 offset = hit - camera.groundCenter;
            const float d = std::sqrt(offset.x * offset.x + offset.z * offset.z) / camera.groundRadius;
            const float shade = 1.0f - 0.30f * std::exp(-d * d * 1.5f);
            Color& c = canvas.image.At(x, y);
            c = {c.r * shade, c.g * shade, c.b * shade};
        }
    }
    return static_cast<double>(covered) / static_cast<double>(static_cast<size_t>(width) * height);
}

}  // namespace

double Rasterize(const std::vector<StreamTriangle>& triangles, const Camera& camera, Image& image) {
    Canvas canvas(camera, image);
    for (int y = 0; y < canvas.height; ++y) {
        for (int x = 0; x < canvas.width; ++x) image.At(x, y) = Background(y, canvas.height);
    }
    for (const StreamTriangle& triangle : triangles) Draw(canvas, triangle);
    return ShadeGround(canvas);
}

}  // namespace md5tool
