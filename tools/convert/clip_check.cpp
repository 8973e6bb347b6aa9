#include "clip_check.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <vector>

namespace convert {

namespace {

namespace fs = std::filesystem;

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

void Count(const brmath::Animation& clip, ClipCheck& check) {
    check.frames = clip.frameCount;
    check.frameRate = clip.frameRate;
    check.tracks = clip.trackCount;
    for (int t = 0; t < clip.trackCount; ++t) check.unmatched += clip.tracks[t].joint == nullptr ? 1 : 0;
}

}  // namespace

std::string MeshBeside(FileSet& files, const std::string& clip, size_t* unchosen) {
    const fs::path folder = fs::path(clip).parent_path().empty() ? fs::path(".") : fs::path(clip).parent_path();
    std::vector<fs::path> meshes;
    for (const std::string& name : ListedNames(files, folder.string() + "\\*.md5mesh")) meshes.push_back(folder / name);
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
    *unchosen = meshes.size();
    return "";
}

ClipCheck CheckClip(FileSet& files, const std::string& clip, LoadedModel* model) {
    ClipCheck check;
    if (model == nullptr) {
        brmath::Animation alone;
        check.loaded = ReadClipAlone(files, clip, &alone, &check.warnings, &check.failure);
        if (check.loaded) Count(alone, check);
        brmath::ReleaseAnimation(alone);
        return check;
    }
    check.loaded = LoadClip(*model, clip, &check.warnings, &check.failure);
    if (check.loaded) Count(model->actor->animations[model->actor->animationCount - 1], check);
    return check;
}

}  // namespace convert
