#include "support/tube_model.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace brmath_test {

namespace {

constexpr int kWeightsPerVertex = 3;
constexpr double kLength = 64.0;
constexpr double kPi = 3.14159265358979323846;
constexpr double kRadius = 2.0;

struct File {
    explicit File(const std::string& path) : handle(std::fopen(path.c_str(), "wb")) {
        if (handle == nullptr) throw std::runtime_error("cannot write " + path);
    }
    ~File() { std::fclose(handle); }
    std::FILE* handle;
};

void WriteMesh(std::FILE* out, const TubeSize& size, int mesh) {
    const int segments = size.segments, totalRings = size.rings, jointCount = size.joints;
    const int rings = totalRings / size.meshes;
    const int firstRing = mesh * rings;
    std::fprintf(out, "mesh {\n\tshader \"tube%d.tga\"\n\n\tnumverts %d\n", mesh, rings * segments);
    for (int r = 0; r < rings; ++r) {
        for (int s = 0; s < segments; ++s) {
            const int v = r * segments + s;
            std::fprintf(out, "\tvert %d ( %.6f %.6f ) %d %d\n", v, s / double(segments),
                         (firstRing + r) / double(totalRings), v * kWeightsPerVertex, kWeightsPerVertex);
        }
    }
    std::fprintf(out, "\n\tnumtris %d\n", 2 * (rings - 1) * segments);
    int t = 0;
    for (int r = 0; r + 1 < rings; ++r) {
        for (int s = 0; s < segments; ++s) {
            const int a = r * segments + s, b = r * segments + (s + 1) % segments;
            const int c = a + segments, d = b + segments;
            std::fprintf(out, "\ttri %d %d %d %d\n", t++, a, c, b);
            std::fprintf(out, "\ttri %d %d %d %d\n", t++, b, c, d);
        }
    }
    std::fprintf(out, "\n\tnumweights %d\n", rings * segments * kWeightsPerVertex);
    int w = 0;
    for (int r = 0; r < rings; ++r) {
        const double z = (firstRing + r) * kLength / totalRings;
        const int joint = static_cast<int>(z * jointCount / kLength);
        for (int s = 0; s < segments; ++s) {
            const double angle = 2.0 * kPi * s / segments;
            const double x = kRadius * std::cos(angle), y = kRadius * std::sin(angle);
            // The vertex's joint and its two neighbours along the spine, in joint space.
            const int joints[kWeightsPerVertex] = {joint, joint > 0 ? joint - 1 : joint,
                                                   joint + 1 < jointCount ? joint + 1 : joint};
            const double biases[kWeightsPerVertex] = {0.5, 0.25, 0.25};
            for (int k = 0; k < kWeightsPerVertex; ++k) {
                const double local = z - joints[k] * (kLength / jointCount);
                std::fprintf(out, "\tweight %d %d %.6f ( %.6f %.6f %.6f )\n", w++, joints[k], biases[k], x, y, local);
            }
        }
    }
    std::fprintf(out, "}\n\n");
}

void WriteClip(const std::string& path, const TubeSize& size) {
    const int jointCount = size.joints, frameCount = size.frames;
    File file(path);
    std::FILE* out = file.handle;
    std::fprintf(out, "MD5Version 10\ncommandline \"generated\"\n\nnumFrames %d\nnumJoints %d\nframeRate 30\n"
                      "numAnimatedComponents %d\n\nhierarchy {\n", frameCount, jointCount, jointCount * 3);
    for (int j = 0; j < jointCount; ++j) std::fprintf(out, "\t\"spine%d\"\t%d %d %d\n", j, j - 1, 56, j * 3);  // 56: orientation x, y, z
    std::fprintf(out, "}\n\nbounds {\n");
    for (int f = 0; f < frameCount; ++f) std::fprintf(out, "\t( -70 -70 -70 ) ( 70 70 70 )\n");
    std::fprintf(out, "}\n\nbaseframe {\n");
    for (int j = 0; j < jointCount; ++j) {
        std::fprintf(out, "\t( 0 0 %.6f ) ( 0 0 0 )\n", j == 0 ? 0.0 : kLength / jointCount);
    }
    std::fprintf(out, "}\n\n");
    for (int f = 0; f < frameCount; ++f) {
        std::fprintf(out, "frame %d {\n", f);
        const double phase = 2.0 * kPi * f / frameCount;
        for (int j = 0; j < jointCount; ++j) {
            // Orientation x, y, z: a gentle wave travelling down the spine.
            const double bend = 0.03 * std::sin(phase + j * 0.2);
            std::fprintf(out, "\t%.6f %.6f %.6f\n", bend, 0.5 * bend, 0.01 * std::cos(phase));
        }
        std::fprintf(out, "}\n\n");
    }
}

}  // namespace

std::string WriteTubeModel(const std::string& folder, const TubeSize& size) {
    const int jointCount = size.joints, meshes = size.meshes;
    const std::string path = folder + "/tube.md5mesh";
    {
        File file(path);
        std::FILE* out = file.handle;
        std::fprintf(out, "MD5Version 10\ncommandline \"generated\"\n\nnumJoints %d\nnumMeshes %d\n\njoints {\n",
                     jointCount, meshes);
        for (int j = 0; j < jointCount; ++j) {
            std::fprintf(out, "\t\"spine%d\"\t%d ( 0 0 %.6f ) ( 0 0 0 )\n", j, j - 1, j * kLength / jointCount);
        }
        std::fprintf(out, "}\n\n");
        for (int m = 0; m < meshes; ++m) WriteMesh(out, size, m);
    }
    WriteClip(folder + "/wave.md5anim", size);
    return path;
}

TemporaryTube::TemporaryTube(const std::string& name, const TubeSize& size)
    : folder_((std::filesystem::temp_directory_path() / name).string()) {
    std::filesystem::create_directories(folder_);
    path_ = WriteTubeModel(folder_, size);
    bytes_ = static_cast<int64_t>(std::filesystem::file_size(path_));
}

TemporaryTube::~TemporaryTube() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

}  // namespace brmath_test
