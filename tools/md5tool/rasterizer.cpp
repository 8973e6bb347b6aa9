// The rasterizer: depth buffer, two-sided lighting from the library's normals, a
// checker pattern from the texture coordinates, each mesh in its own colour (or its
// game's maps), and a soft ground shadow over a light background.
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
    Canvas(const Camera& view, Image& picture, const std::vector<convert::SurfaceMaps>* surfaces)
        : camera(view),
          image(picture),
          width(picture.Width()),
          height(picture.Height()),
          depth(static_cast<size_t>(width) * height, 0.0f),
          cx(width / 2.0f),
          cy(height / 2.0f),
          key(Unit(view.right * -0.5f + view.up * 0.8f + view.forward * -0.6f)),
          fill(Unit(view.right * 0.8f + view.up * 0.1f + view.forward * -0.4f)),
          maps(surfaces) {}

    const Camera& camera;
    Image& image;
    const int width, height;
    std::vector<float> depth;
    const float cx, cy;
    const Vec3 key, fill;
    const std::vector<convert::SurfaceMaps>* maps;
};

// The pixel of an image at texture coordinates (s, t), t running down from its top,
// repeated beyond 0..1; channels from 0 to 1.
Vec3 Sample(const convert::RgbaImage& image, float s, float t) {
    const double fs = static_cast<double>(s) - std::floor(static_cast<double>(s));
    const double ft = static_cast<double>(t) - std::floor(static_cast<double>(t));
    const int x = std::isfinite(fs) ? std::min(image.width - 1, static_cast<int>(fs * image.width)) : 0;
    const int y = std::isfinite(ft) ? std::min(image.height - 1, static_cast<int>(ft * image.height)) : 0;
    const uint8_t* p = image.At(x, y);
    return {p[0] / 255.0f, p[1] / 255.0f, p[2] / 255.0f};
}

// The corners' values of a triangle's attribute, weighted.
Vec3 Blend(const float (&values)[3][3], const float k[3]) {
    Vec3 sum{0, 0, 0};
    for (int i = 0; i < 3; ++i) sum = sum + Vec3{values[i][0], values[i][1], values[i][2]} * k[i];
    return sum;
}

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

// The perspective-correct weights of a pixel's barycentric weights `b`.
void Perspective(const Projected p[3], const float b[3], float k[3]) {
    float sum = 0;
    for (int i = 0; i < 3; ++i) sum += k[i] = b[i] * p[i].inverseDepth;
    for (int i = 0; i < 3; ++i) k[i] /= sum;
}

// Diffuse and specular light on a surface facing `normal`, from the key and fill lights.
void Light(const Canvas& canvas, Vec3 normal, float* diffuse, float* specular) {
    *diffuse = std::max(0.0f, Dot(normal, canvas.key)) * 0.75f + std::max(0.0f, Dot(normal, canvas.fill)) * 0.25f;
    const Vec3 half = Unit(canvas.key - canvas.camera.forward);
    *specular = std::pow(std::max(0.0f, Dot(normal, half)), 40.0f);
}

// The colour of a covered pixel, its mesh in its palette colour with a checker.
Color Shade(const Canvas& canvas, const StreamTriangle& triangle, const float k[3], Color base) {
    Vec3 normal{0, 0, 0};
    float u = 0, v = 0;
    for (int i = 0; i < 3; ++i) {
        const StreamVertex& corner = triangle.corners[i];
        normal = normal + Vec3{corner.normal[0], corner.normal[1], corner.normal[2]} * k[i];
        u += corner.texCoord[0] * k[i];
        v += corner.texCoord[1] * k[i];
    }
    normal = Unit(normal);
    if (Dot(normal, canvas.camera.forward) > 0) normal = normal * -1.0f;  // lit from both sides
    float diffuse, specular;
    Light(canvas, normal, &diffuse, &specular);
    specular *= 0.35f;
    const bool checker = OddSquare(u) != OddSquare(v);
    const float tint = checker ? 0.78f : 1.0f;
    const float light = 0.28f + 0.85f * diffuse;
    return {std::min(1.0f, base.r * tint * light + specular), std::min(1.0f, base.g * tint * light + specular),
            std::min(1.0f, base.b * tint * light + specular)};
}

// The colour of a covered pixel lit through its mesh's maps.
Color ShadeMapped(const Canvas& canvas, const StreamTriangle& triangle, const float k[3], const convert::SurfaceMaps& maps) {
    float s = 0, t = 0;
    Vec3 normal{0, 0, 0};
    for (int i = 0; i < 3; ++i) {
        const StreamVertex& corner = triangle.corners[i];
        normal = normal + Vec3{corner.normal[0], corner.normal[1], corner.normal[2]} * k[i];
        s += corner.texCoord[0] * k[i];
        t -= corner.texCoord[1] * k[i];  // the library hands t negated
    }
    const Vec3 along = Unit(Blend(triangle.tangent, k) * -1.0f), down = Unit(Blend(triangle.bitangent, k));
    const Vec3 bump = Sample(maps.normal, s, t);
    Vec3 lit = Unit(along * (bump.x * 2 - 1) + down * (bump.y * 2 - 1) + Unit(normal) * (bump.z * 2 - 1));
    if (Dot(normal, canvas.camera.forward) > 0) lit = lit * -1.0f;  // lit from both sides
    float diffuse, specular;
    Light(canvas, lit, &diffuse, &specular);
    const Vec3 colour = Sample(maps.diffuse, s, t), shine = Sample(maps.specular, s, t);
    const Vec3 glow = maps.emissiveFound ? Sample(maps.emissive, s, t) : Vec3{0, 0, 0};  // lit fully, whatever the light
    const float light = 0.28f + 0.85f * diffuse;
    return {std::min(1.0f, colour.x * light + shine.x * specular + glow.x),
            std::min(1.0f, colour.y * light + shine.y * specular + glow.y),
            std::min(1.0f, colour.z * light + shine.z * specular + glow.z)};
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
    const bool hasMaps = canvas.maps != nullptr && triangle.mesh >= 0 && static_cast<size_t>(triangle.mesh) < canvas.maps->size();
    const convert::SurfaceMaps* mapped = hasMaps ? &(*canvas.maps)[static_cast<size_t>(triangle.mesh)] : nullptr;
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
            float k[3];
            Perspective(p, b, k);
            canvas.image.At(x, y) = mapped != nullptr ? ShadeMapped(canvas, triangle, k, *mapped) : Shade(canvas, triangle, k, base);
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

double Rasterize(const std::vector<StreamTriangle>& triangles, const Camera& camera, Image& image,
                 const std::vector<convert::SurfaceMaps>* maps) {
    Canvas canvas(camera, image, maps);
    for (int y = 0; y < canvas.height; ++y) {
        for (int x = 0; x < canvas.width; ++x) image.At(x, y) = Background(y, canvas.height);
    }
    for (const StreamTriangle& triangle : triangles) Draw(canvas, triangle);
    return ShadeGround(canvas);
}

}  // namespace md5tool
