#include <algorithm>
#include <cstdio>
#include <sstream>
#include <utility>
#include <vector>

#include "actor/actor.h"
#include "commands.h"
#include "model_loading.h"
#include "wording.h"

namespace md5tool {

namespace {

// Deeper levels than this are indented no further, and show their depth as a number.
constexpr int kMaxIndentedDepth = 32;

// The joints under `root` as a tree, two spaces a level, without recursion: a chain of
// any depth takes neither stack nor more than a line a joint.
void PrintJointTree(const brmath::Joint& root, std::ostream& out) {
    std::vector<std::pair<const brmath::Joint*, int>> pending{{&root, 0}};
    while (!pending.empty()) {
        const auto [joint, depth] = pending.back();
        pending.pop_back();
        out << "  " << std::string(static_cast<size_t>(std::min(depth, kMaxIndentedDepth)) * 2, ' ');
        if (depth > kMaxIndentedDepth) out << "(depth " << depth << ") ";
        out << joint->index << " " << joint->name << "\n";
        for (int c = joint->childCount - 1; c >= 0; --c) pending.emplace_back(joint->children[c], depth + 1);
    }
}

std::string Point(float x, float y, float z) {
    char text[96];
    std::snprintf(text, sizeof(text), "(%g, %g, %g)", x, y, z);
    return text;
}

}  // namespace

int Info(const InfoOptions& options, std::ostream& out, std::ostream& err) {
    const std::string& mesh = options.mesh;
    brmath::Actor actor;
    const LoadOutcome outcome = LoadMeshReporting(actor, mesh);
    if (!outcome.loaded) {
        for (const std::string& warning : outcome.warnings) out << warning << "\n";
        err << outcome.Failure() << "\n";
        return kBadInput;
    }
    for (const std::string& warning : outcome.warnings) out << warning << "\n";
    out << mesh << ": " << Counted(actor.jointCount, "joint", "joints") << ", " << Counted(actor.meshCount, "mesh", "meshes")
        << ", " << Counted(actor.animationCount, "clip", "clips") << "\n";

    out << "joints:\n";
    for (int j = 0; j < actor.jointCount; ++j) {
        if (actor.joints[j].parent == nullptr) PrintJointTree(actor.joints[j], out);
    }

    out << "meshes:\n";
    float low[3] = {1e30f, 1e30f, 1e30f}, high[3] = {-1e30f, -1e30f, -1e30f};
    for (int m = 0; m < actor.meshCount; ++m) {
        const brmath::Mesh& item = actor.meshes[m];
        std::vector<bool> used(static_cast<size_t>(item.vertexCount), false);
        for (int t = 0; t < item.triangleCount; ++t) {
            for (const int32_t corner : item.triangles[t].indices) used[static_cast<size_t>(corner)] = true;
        }
        const long long unused = std::count(used.begin(), used.end(), false);
        out << "  " << m << " \"" << item.shader << "\": " << Counted(item.vertexCount, "vertex", "vertices")
            << (unused > 0 ? " (" + std::to_string(unused) + " that no triangle uses)" : "") << ", "
            << Counted(item.triangleCount, "triangle", "triangles") << ", " << Counted(item.weightCount, "weight", "weights")
            << "\n";
        for (int v = 0; v < item.vertexCount; ++v) {
            const brmath::Vector3& p = item.vertices[v].position;
            const float c[3] = {p.x, p.y, p.z};
            for (int k = 0; k < 3; ++k) {
                low[k] = std::min(low[k], c[k]);
                high[k] = std::max(high[k], c[k]);
            }
        }
    }

    out << "clips:\n";
    if (actor.animationCount == 0 && outcome.clipsLeftOut == 0) out << "  none (no .md5anim file beside the mesh)\n";
    if (actor.animationCount == 0 && outcome.clipsLeftOut > 0) out << "  none (every .md5anim file beside the mesh was left out)\n";
    if (actor.animationCount > 0 && outcome.clipsLeftOut > 0) {
        out << "  (" << outcome.clipsLeftOut << " more .md5anim file" << (outcome.clipsLeftOut == 1 ? "" : "s")
            << " beside the mesh left out: see the warnings)\n";
    }
    const std::vector<std::string> names = ClipNames(mesh, outcome, actor);
    for (int a = 0; a < actor.animationCount; ++a) {
        const brmath::Animation& clip = actor.animations[a];
        out << "  " << a << " " << names[static_cast<size_t>(a)] << ": " << Counted(clip.frameCount, "frame", "frames")
            << " at " << clip.frameRate << " fps, " << Counted(clip.trackCount, "track", "tracks") << "\n";
    }
    if (low[0] <= high[0]) {
        out << "bind pose bounds: " << Point(low[0], low[1], low[2]) << " to " << Point(high[0], high[1], high[2]) << "\n";
    } else {
        out << "bind pose bounds: none (no vertices)\n";
    }
    return options.strict && !outcome.warnings.empty() ? kBadInput : kSuccess;
}

}  // namespace md5tool
