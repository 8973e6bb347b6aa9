// Peak memory of loading the large generated model, against the size of the loaded
// model's own arrays plus the file's size. Run in a process of its own: the peak
// resident size (VmHWM) is measured before and after one MD5_LoadActor.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "actor/actor_table.h"
#include "anim/prepared_mesh.h"
#include "brmath/brmath.h"
#include "support/tube_model.h"

namespace {

long PeakResidentKilobytes() {
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (status == nullptr) return -1;
    char line[256];
    long kilobytes = -1;
    while (std::fgets(line, sizeof(line), status) != nullptr) {
        if (std::strncmp(line, "VmHWM:", 6) == 0) std::sscanf(line + 6, "%ld", &kilobytes);
    }
    std::fclose(status);
    return kilobytes;
}

double ModelBytes(const brmath::Actor& actor) {
    double bytes = sizeof(brmath::Joint) * static_cast<double>(actor.jointCount) +
                   sizeof(brmath::Mesh) * static_cast<double>(actor.meshCount) +
                   sizeof(brmath::Animation) * static_cast<double>(actor.animationCount);
    for (int j = 0; j < actor.jointCount; ++j) bytes += sizeof(brmath::Joint*) * actor.joints[j].childCount;
    for (int m = 0; m < actor.meshCount; ++m) {
        const brmath::Mesh& mesh = actor.meshes[m];
        bytes += sizeof(brmath::MeshVertex) * static_cast<double>(mesh.vertexCount) +
                 sizeof(brmath::MeshTriangle) * static_cast<double>(mesh.triangleCount) +
                 sizeof(brmath::MeshWeight) * static_cast<double>(mesh.weightCount);
    }
    for (int a = 0; a < actor.animationCount; ++a) {
        const brmath::Animation& clip = actor.animations[a];
        bytes += sizeof(brmath::AnimTrack) * static_cast<double>(clip.trackCount);
        for (int t = 0; t < clip.trackCount; ++t) {
            if (clip.tracks[t].keys != nullptr) bytes += sizeof(brmath::AnimKey) * static_cast<double>(clip.frameCount);
        }
    }
    return bytes;
}

// What posing keeps beside the model: each mesh's frame lists, and the scratch rows
// sized for the largest mesh (four floats twice a vertex, twelve a frame triangle, in
// whole fours and eights). Counted as overhead in the ratio, not as the model's.
double PosingBytes(const brmath::Actor& actor) {
    double bytes = 0;
    int64_t vertexRoom = 0, frameRoom = 0;
    for (int m = 0; m < actor.meshCount; ++m) {
        const brmath::Mesh& mesh = actor.meshes[m];
        brmath::PreparedMesh prepared;
        const int64_t listed = brmath::PrepareMesh(mesh, prepared) ? prepared.frameTriangleCount : 0;
        brmath::ReleasePreparedMesh(prepared);
        const int64_t frames = (listed + 7) / 8 * 8;
        bytes += 4.0 * static_cast<double>(frames) + 4.0 * mesh.vertexCount + 5.0 * sizeof(float) * frames;
        vertexRoom = std::max<int64_t>(vertexRoom, (mesh.vertexCount + 3) / 4 * 4);
        frameRoom = std::max<int64_t>(frameRoom, frames);
    }
    return bytes + sizeof(float) * (8.0 * vertexRoom + 12.0 * frameRoom);
}

}  // namespace

int main() {
    const brmath_test::TemporaryTube tube("brmath-memory-bench", brmath_test::LargeTube());
    const double fileBytes = static_cast<double>(tube.Bytes());
    const long before = PeakResidentKilobytes();
    const int slot = MD5_AddActor();
    const bool loaded = MD5_LoadActor(slot, tube.Path().c_str()) == 1;
    const long after = PeakResidentKilobytes();
    if (!loaded || before < 0) {
        std::fprintf(stderr, "load_memory: the model did not load, or no /proc/self/status\n");
        return 1;
    }
    const double model = ModelBytes(brmath::TheActorTable().actors[slot]);
    const double peak = (after - before) * 1024.0;
    std::printf("file %.1f MB, model %.1f MB, peak while loading %.1f MB: %.2f x (model + file); posing's lists and "
                "scratch %.1f MB of it\n",
                fileBytes / 1e6, model / 1e6, peak / 1e6, peak / (model + fileBytes),
                PosingBytes(brmath::TheActorTable().actors[slot]) / 1e6);
    return 0;
}
