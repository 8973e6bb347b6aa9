#include <algorithm>
#include <cstdio>
#include <sstream>
#include <utility>
#include <vector>

#include "actor/actor.h"
#include "commands.h"
#include "command_support.h"
#include "model_summary.h"
#include "surface_maps.h"
#include "wording.h"

namespace md5tool {

using convert::Counted;

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

void PrintMeshes(const convert::ModelSummary& summary, std::ostream& out) {
    out << "meshes:\n";
    for (size_t m = 0; m < summary.meshes.size(); ++m) {
        const convert::MeshSummary& item = summary.meshes[m];
        out << "  " << m << " \"" << item.shader << "\": " << Counted(item.vertices, "vertex", "vertices")
            << (item.unusedVertices > 0 ? " (" + std::to_string(item.unusedVertices) + " that no triangle uses)" : "")
            << ", " << Counted(item.triangles, "triangle", "triangles") << ", " << Counted(item.weights, "weight", "weights")
            << "\n";
    }
}

void PrintClips(const convert::ModelSummary& summary, std::ostream& out) {
    out << "clips:\n";
    const int leftOut = summary.clipsLeftOut;
    if (summary.clips.empty() && leftOut == 0) out << "  none (no .md5anim file beside the mesh)\n";
    if (summary.clips.empty() && leftOut > 0) out << "  none (every .md5anim file beside the mesh was left out)\n";
    if (!summary.clips.empty() && leftOut > 0) {
        out << "  (" << leftOut << " more .md5anim file" << (leftOut == 1 ? "" : "s")
            << " beside the mesh left out: see the warnings)\n";
    }
    for (size_t c = 0; c < summary.clips.size(); ++c) {
        const convert::ClipSummary& clip = summary.clips[c];
        out << "  " << c << " " << clip.name << ": " << Counted(clip.frames, "frame", "frames") << " at "
            << clip.frameRate << " fps, " << Counted(clip.tracks, "track", "tracks") << "\n";
    }
}

// Where a base's model came from: its mesh's archive or folder, its skin and offset.
void PrintGameModel(ModelFiles& files, std::ostream& out) {
    const convert::GameModel& game = files.game;
    out << "mesh: " << game.mesh << " (in " << files.base.Where(game.mesh) << ")\n";
    if (!game.skin.empty()) out << "skin: " << game.skin << "\n";
    if (game.hasOffset) out << "offset: " << Point(game.offset[0], game.offset[1], game.offset[2]) << "\n";
    if (!game.oldModel.empty()) out << "frame names: " << game.oldModel << "\n";
    if (!game.scale.empty()) out << "scale: " << game.scale << "\n";
}

// One map of a material: what the material names, and whether it was found.
std::string MapText(const std::string& text, bool found, const char* fallback) {
    if (text.empty()) return std::string("none (") + fallback + ")";
    return text + (found ? "" : std::string(" (not found: ") + fallback + ")");
}

// Each mesh's material and its three maps, as the game lights it.
void PrintMaterials(const convert::ModelMaps& maps, std::ostream& out) {
    out << "materials:\n";
    for (size_t m = 0; m < maps.meshes.size(); ++m) {
        const convert::SurfaceMaps& surface = maps.meshes[m];
        out << "  " << m << " " << surface.material << (surface.declared ? "" : " (no material: the shader's own image)")
            << "\n    diffuse " << MapText(surface.diffuseText, surface.diffuseFound, "white")
            << "\n    normal " << MapText(surface.normalText, surface.normalFound, "flat")
            << "\n    specular " << MapText(surface.specularText, surface.specularFound, "black") << "\n";
        if (surface.emissiveFound) out << "    glow " << surface.emissiveText << "\n";
    }
}

}  // namespace

int Info(const InfoOptions& options, std::ostream& out, std::ostream& err) {
    ModelFiles files;
    files.bases = options.bases;
    const convert::LoadedModel model = LoadForCommand(files, options.mesh, out, err);
    if (!model.loaded) return kBadInput;
    const brmath::Actor& actor = *model.actor;
    const convert::ModelSummary summary = convert::Summarize(model, files.Files());
    out << options.mesh << ": " << Counted(summary.joints, "joint", "joints") << ", "
        << Counted(static_cast<long long>(summary.meshes.size()), "mesh", "meshes") << ", "
        << Counted(static_cast<long long>(summary.clips.size()), "clip", "clips") << "\n";
    if (files.fromBase) PrintGameModel(files, out);
    out << "joints:\n";
    for (int j = 0; j < actor.jointCount; ++j) {
        if (actor.joints[j].parent == nullptr) PrintJointTree(actor.joints[j], out);
    }
    PrintMeshes(summary, out);
    if (files.fromBase) {
        const convert::ModelMaps maps = files.MapsOf(actor);
        PrintDiagnostics(maps.warnings, out);
        PrintMaterials(maps, out);
    }
    PrintClips(summary, out);
    if (summary.bounded) {
        out << "bind pose bounds: " << Point(summary.low[0], summary.low[1], summary.low[2]) << " to "
            << Point(summary.high[0], summary.high[1], summary.high[2]) << "\n";
    } else {
        out << "bind pose bounds: none (no vertices)\n";
    }
    return options.strict && !model.warnings.empty() ? kBadInput : kSuccess;
}

}  // namespace md5tool
