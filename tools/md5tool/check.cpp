#include <algorithm>
#include <cctype>
#include <filesystem>

#include "actor/actor.h"
#include "actor/allocation.h"
#include "commands.h"
#include "md5/read_failure.h"

namespace md5tool {

namespace {

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

void ReportFailure(const std::string& file, const brmath::ReadFailure& failure, std::ostream& out) {
    out << file;
    if (failure.line > 0) out << ":" << failure.line;
    out << ": error: " << failure.message << "\n";
}

bool CheckMesh(const std::string& file, std::ostream& out) {
    brmath::Actor actor;
    brmath::ReadFailure failure;
    if (!actor.LoadMesh(file.c_str(), &failure)) {
        ReportFailure(file, failure, out);
        return false;
    }
    long vertices = 0, triangles = 0, weights = 0;
    for (int m = 0; m < actor.meshCount; ++m) {
        vertices += actor.meshes[m].vertexCount;
        triangles += actor.meshes[m].triangleCount;
        weights += actor.meshes[m].weightCount;
    }
    out << file << ": OK: " << actor.jointCount << " joints, " << actor.meshCount << " meshes, " << vertices
        << " vertices, " << triangles << " triangles, " << weights << " weights\n";
    return true;
}

// The skeleton an animation file is read against: the first mesh file of its folder
// (by name) that loads, or else a one-joint stand-in, against which the file is still
// read completely but no track finds its joint.
std::string LoadSkeleton(const std::string& file, brmath::Actor& actor) {
    namespace fs = std::filesystem;
    std::vector<std::string> meshes;
    std::error_code error;
    const fs::path folder = fs::path(file).parent_path().empty() ? fs::path(".") : fs::path(file).parent_path();
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        if (Lower(entry.path().extension().string()) == ".md5mesh") meshes.push_back(entry.path().string());
    }
    std::sort(meshes.begin(), meshes.end());
    for (const std::string& mesh : meshes) {
        if (actor.LoadMesh(mesh.c_str())) return fs::path(mesh).filename().string();
    }
    actor.jointCount = 1;
    actor.joints = brmath::AllocateArray<brmath::Joint>(1);
    actor.joints[0] = brmath::Joint{};
    return "";
}

bool CheckAnimation(const std::string& file, std::ostream& out) {
    brmath::Actor actor;
    const std::string skeleton = LoadSkeleton(file, actor);
    brmath::ReadFailure failure;
    if (!actor.LoadAnimation(file.c_str(), &failure)) {
        ReportFailure(file, failure, out);
        return false;
    }
    const brmath::Animation& clip = actor.animations[actor.animationCount - 1];
    int unmatched = 0;
    for (int t = 0; t < clip.trackCount; ++t) unmatched += clip.tracks[t].joint == nullptr ? 1 : 0;
    out << file << ": OK: " << clip.frameCount << " frames at " << clip.frameRate << " fps, " << clip.trackCount
        << " tracks";
    if (skeleton.empty()) {
        out << " (no mesh beside it to match joint names against)\n";
    } else if (unmatched == 0) {
        out << ", every track names a joint of " << skeleton << "\n";
    } else {
        out << ", " << unmatched << " of them name no joint of " << skeleton << " and drive nothing\n";
    }
    return true;
}

}  // namespace

int Check(const std::vector<std::string>& files, std::ostream& out, std::ostream& err) {
    bool allGood = true;
    for (const std::string& file : files) {
        const std::string extension = Lower(std::filesystem::path(file).extension().string());
        if (extension == ".md5mesh") {
            allGood = CheckMesh(file, out) && allGood;
        } else if (extension == ".md5anim") {
            allGood = CheckAnimation(file, out) && allGood;
        } else {
            err << "md5tool: " << file << ": not an .md5mesh or .md5anim file\n";
            allGood = false;
        }
    }
    return allGood ? kSuccess : kBadInput;
}

}  // namespace md5tool
