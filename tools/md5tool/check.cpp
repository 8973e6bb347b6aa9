#include <algorithm>
#include <cctype>
#include <filesystem>

#include "actor/actor.h"
#include "commands.h"
#include "model_loading.h"
#include "wording.h"

namespace md5tool {

namespace {

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Prints what a read left out; true when there was anything.
bool PrintWarnings(const LoadOutcome& outcome, std::ostream& out) {
    for (const std::string& warning : outcome.warnings) out << warning << "\n";
    return !outcome.warnings.empty();
}

int CheckMesh(const std::string& file, bool strict, std::ostream& out) {
    brmath::Actor actor;
    const LoadOutcome outcome = LoadMeshReporting(actor, file);
    if (!outcome.loaded) {
        PrintWarnings(outcome, out);
        out << outcome.where << ": error: " << outcome.reason << "\n";
        return kBadInput;
    }
    long vertices = 0, triangles = 0, weights = 0;
    for (int m = 0; m < actor.meshCount; ++m) {
        vertices += actor.meshes[m].vertexCount;
        triangles += actor.meshes[m].triangleCount;
        weights += actor.meshes[m].weightCount;
    }
    const bool warned = PrintWarnings(outcome, out);
    out << file << ": OK: " << Counted(actor.jointCount, "joint", "joints") << ", " << Counted(actor.meshCount, "mesh", "meshes")
        << ", " << Counted(vertices, "vertex", "vertices") << ", " << Counted(triangles, "triangle", "triangles") << ", "
        << Counted(weights, "weight", "weights") << ", " << Counted(actor.animationCount, "clip", "clips") << "\n";
    return warned && strict ? kBadInput : kSuccess;
}

// The mesh a clip is read against: the one given, else the only mesh of the clip's
// folder, else the one whose name the clip's name begins with (the longest such).
// Empty when the folder has none; `problem` is set when it cannot choose.
std::string ChooseMesh(const std::string& clip, const std::string& given, std::string* problem) {
    namespace fs = std::filesystem;
    if (!given.empty()) return given;
    const fs::path folder = fs::path(clip).parent_path().empty() ? fs::path(".") : fs::path(clip).parent_path();
    std::vector<fs::path> meshes;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        if (Lower(entry.path().extension().string()) == ".md5mesh") meshes.push_back(entry.path());
    }
    std::sort(meshes.begin(), meshes.end());
    if (meshes.size() <= 1) return meshes.empty() ? "" : meshes[0].string();
    const std::string clipName = Lower(fs::path(clip).stem().string());
    const fs::path* best = nullptr;
    for (const fs::path& mesh : meshes) {
        const std::string name = Lower(mesh.stem().string());
        if (clipName.compare(0, name.size(), name) == 0 && (best == nullptr || name.size() > best->stem().string().size())) {
            best = &mesh;
        }
    }
    if (best != nullptr) return best->string();
    *problem = "its folder holds " + std::to_string(meshes.size()) +
               " meshes and none is named like the clip: name one with --mesh";
    return "";
}

int CheckAnimation(const std::string& file, const std::string& givenMesh, bool strict, std::ostream& out,
                   std::ostream& err) {
    std::string problem;
    const std::string mesh = ChooseMesh(file, givenMesh, &problem);
    if (!problem.empty()) {
        err << file << ": error: " << problem << "\n";
        return kBadUsage;
    }
    brmath::Actor actor;
    bool skeleton = !mesh.empty();
    if (skeleton && !LoadMeshReporting(actor, mesh).loaded) {
        if (!givenMesh.empty()) {
            out << file << ": error: the mesh given, " << mesh << ", does not load (check it)\n";
            return kBadInput;
        }
        out << file << ": warning: " << mesh << " does not load (check it): no joint names to match against\n";
        skeleton = false;
    }
    brmath::Animation alone;
    const LoadOutcome outcome = skeleton ? LoadClipReporting(actor, file) : ReadClipAlone(file, &alone);
    if (!outcome.loaded) {
        if (!skeleton) brmath::ReleaseAnimation(alone);
        PrintWarnings(outcome, out);
        out << outcome.where << ": error: " << outcome.reason << "\n";
        return kBadInput;
    }
    const bool warned = PrintWarnings(outcome, out) || (!skeleton && !mesh.empty());
    const brmath::Animation& clip = skeleton ? actor.animations[actor.animationCount - 1] : alone;
    int unmatched = 0;
    for (int t = 0; t < clip.trackCount; ++t) unmatched += clip.tracks[t].joint == nullptr ? 1 : 0;
    out << file << ": OK: " << Counted(clip.frameCount, "frame", "frames") << " at " << clip.frameRate << " fps, "
        << Counted(clip.trackCount, "track", "tracks");
    if (!skeleton) {
        out << (mesh.empty() ? " (no mesh beside it to match joint names against)\n" : "\n");
        brmath::ReleaseAnimation(alone);
    } else if (unmatched == 0) {
        out << ", every track names a joint of " << mesh << "\n";
    } else {
        out << ", " << unmatched << " of them name no joint of " << mesh << " and drive nothing\n";
    }
    return warned && strict ? kBadInput : kSuccess;
}

}  // namespace

int Check(const CheckOptions& options, std::ostream& out, std::ostream& err) {
    int status = kSuccess;
    for (const std::string& file : options.files) {
        const std::string extension = Lower(std::filesystem::path(file).extension().string());
        int result = kBadInput;
        if (extension == ".md5mesh") {
            result = CheckMesh(file, options.strict, out);
        } else if (extension == ".md5anim") {
            result = CheckAnimation(file, options.mesh, options.strict, out, err);
        } else {
            err << file << ": error: not an .md5mesh or .md5anim file\n";
        }
        status = std::max(status, result);
    }
    return status;
}

}  // namespace md5tool
