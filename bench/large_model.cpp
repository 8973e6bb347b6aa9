#include "large_model.h"

#define _USE_MATH_DEFINES
#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <string>

namespace brmath_bench {

namespace {

constexpr int kJoints = 64;
constexpr int kRings = 400;      // along the tube, split among the meshes
constexpr int kSegments = 250;   // around the tube
constexpr int kWeightsPerVertex = 3;
constexpr int kFrames = 200;
constexpr double kLength = 64.0;
constexpr double kRadius = 2.0;

struct File {
    explicit File(const std::string& path) : handle(std::fopen(path.c_str(), "wb")) {
        if (handle == nullptr) throw std::runtime_error("cannot write " + path);
    }
    ~File() { std::fclose(handle); }
    std::FILE* handle;
};

void WriteMesh(std::FILE* out, int mesh, int meshes) {
    const int rings = kRings / meshes;
    const int firstRing = mesh * rings;
    std::fprintf(out, "mesh {\n\tshader \"tube%d.tga\"\n\n\tnumverts %d\n", mesh, rings * kSegments);
    for (int r = 0; r < rings; ++r) {
        for (int s = 0; s < kSegments; ++s) {
            const int v = r * kSegments + s;
            std::fprintf(out, "\tvert %d ( %.6f %.6f ) %d %d\n", v, s / double(kSegments),
                         (firstRing + r) / double(kRings), v * kWeightsPerVertex, kWeightsPerVertex);
        }
    }
    std::fprintf(out, "\n\tnumtris %d\n", 2 * (rings - 1) * kSegments);
    int t = 0;
    for (int r = 0; r + 1 < rings; ++r) {
        for (int s = 0; s < kSegments; ++s) {
            const int a = r * kSegments + s, b = r * kSegments + (s + 1) % kSegments;
            const int c = a + kSegments, d = b + kSegments;
            std::fprintf(out, "\ttri %d %d %d %d\n", t++, a, c, b);
            std::fprintf(out, "\ttri %d %d %d %d\n", t++, b, c, d);
        }
    }
    std::fprintf(out, "\n\tnumweights %d\n", rings * kSegments * kWeightsPerVertex);
    int w = 0;
    for (int r = 0; r < rings; ++r) {
        const double z = (firstRing + r) * kLength / kRings;
        const int joint = static_cast<int>(z * kJoints / kLength);
        for (int s = 0; s < kSegments; ++s) {
            const double angle = 2.0 * M_PI * s / kSegments;
            const double x = kRadius * std::cos(angle), y = kRadius * std::sin(angle);
            // The vertex's joint and its two neighbours along the spine, in joint space.
            const int joints[kWeightsPerVertex] = {joint, joint > 0 ? joint - 1 : joint,
                                                   joint + 1 < kJoints ? joint + 1 : joint};
            const double biases[kWeightsPerVertex] = {0.5, 0.25, 0.25};
            for (int k = 0; k < kWeightsPerVertex; ++k) {
                const double local = z - joints[k] * (kLength / kJoints);
                std::fprintf(out, "\tweight %d %d %.6f ( %.6f %.6f %.6f )\n", w++, joints[k], biases[k], x, y, local);
            }
        }
    }
    std::fprintf(out, "}\n\n");
}

void WriteClip(const std::string& path) {
    File file(path);
    std::FILE* out = file.handle;
    std::fprintf(out, "MD5Version 10\ncommandline \"generated\"\n\nnumFrames %d\nnumJoints %d\nframeRate 30\n"
                      "numAnimatedComponents %d\n\nhierarchy {\n", kFrames, kJoints, kJoints * 3);
    for (int j = 0; j < kJoints; ++j) std::fprintf(out, "\t\"spine%d\"\t%d %d %d\n", j, j - 1, 56, j * 3);  // 56: orientation x, y, z
    std::fprintf(out, "}\n\nbounds {\n");
    for (int f = 0; f < kFrames; ++f) std::fprintf(out, "\t( -70 -70 -70 ) ( 70 70 70 )\n");
    std::fprintf(out, "}\n\nbaseframe {\n");
    for (int j = 0; j < kJoints; ++j) {
        std::fprintf(out, "\t( 0 0 %.6f ) ( 0 0 0 )\n", j == 0 ? 0.0 : kLength / kJoints);
    }
    std::fprintf(out, "}\n\n");
    for (int f = 0; f < kFrames; ++f) {
        std::fprintf(out, "frame %d {\n", f);
        const double phase = 2.0 * M_PI * f / kFrames;
        for (int j = 0; j < kJoints; ++j) {
            // Orientation x, y, z: a gentle wave travelling down the spine.
            const double bend = 0.03 * std::sin(phase + j * 0.2);
            std::fprintf(out, "\t%.6f %.6f %.6f\n", bend, 0.5 * bend, 0.01 * std::cos(phase));
        }
        std::fprintf(out, "}\n\n");
    }
}

}  // namespace

std::string WriteLargeModel(const std::string& folder, int meshes) {
    const std::string path = folder + "/tube.md5mesh";
    {
        File file(path);
        std::FILE* out = file.handle;
        std::fprintf(out, "MD5Version 10\ncommandline \"generated\"\n\nnumJoints %d\nnumMeshes %d\n\njoints {\n",
                     kJoints, meshes);
        for (int j = 0; j < kJoints; ++j) {
            std::fprintf(out, "\t\"spine%d\"\t%d ( 0 0 %.6f ) ( 0 0 0 )\n", j, j - 1, j * kLength / kJoints);
        }
        std::fprintf(out, "}\n\n");
        for (int m = 0; m < meshes; ++m) WriteMesh(out, m, meshes);
    }
    WriteClip(folder + "/wave.md5anim");
    return path;
}

}  // namespace brmath_bench
