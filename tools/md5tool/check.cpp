// md5tool check: each file read with the library's own reader, a line for what it
// holds or why it was refused, and the warnings before it.
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <sstream>
#include <system_error>

#include "clip_check.h"
#include "command_support.h"
#include "engine_target.h"
#include "commands.h"
#include "model_summary.h"
#include "surface_maps.h"
#include "wording.h"

namespace md5tool {

using convert::Counted;

namespace {

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Every file of one check, read once; the meshes clips are read against, loaded once.
struct CheckRun {
    const CheckOptions& options;
    std::ostream& out;
    std::ostream& err;
    DiskFiles files;
    std::map<std::string, convert::LoadedModel> skeletons;
};

// What each engine asked for says of a file: true when one refuses it.
template <typename Said>
bool Refused(CheckRun& run, Said said) {
    bool refused = false;
    for (const std::string& name : run.options.targets) {
        const convert::Diagnostics records = said(*convert::FindEngineTarget(name));
        PrintDiagnostics(records, run.out);
        for (const convert::Diagnostic& record : records) refused = refused || record.severity == convert::Severity::kError;
    }
    return refused;
}

bool MeshRefused(CheckRun& run, convert::FileSet& files, const std::string& file, const brmath::ModelRecords& model) {
    const std::string* text = files.Bytes(file);
    return text != nullptr && Refused(run, [&](const convert::EngineTarget& target) {
               return convert::CheckMeshForTarget(target, model, file, *text);
           });
}

bool ClipRefused(CheckRun& run, convert::FileSet& files, const std::string& file, const brmath::ModelRecords* mesh,
                 const std::string& meshName) {
    const std::string* text = files.Bytes(file);
    return text != nullptr && Refused(run, [&](const convert::EngineTarget& target) {
               return convert::CheckClipForTarget(target, *text, file, mesh, meshName);
           });
}

int CheckMesh(CheckRun& run, const std::string& file) {
    const convert::LoadedModel model = convert::LoadModel(run.files, file);
    PrintDiagnostics(model.warnings, run.out);
    if (!model.loaded) {
        PrintDiagnostics({model.failure}, run.out);
        return kBadInput;
    }
    if (MeshRefused(run, run.files, file, *model.actor)) {
        run.out << file << ": refused by the engine\n";
        return kBadInput;
    }
    const convert::ModelSummary summary = convert::Summarize(model, run.files);
    run.out << file << ": OK: " << Counted(summary.joints, "joint", "joints") << ", "
            << Counted(static_cast<long long>(summary.meshes.size()), "mesh", "meshes") << ", "
            << Counted(summary.vertices, "vertex", "vertices") << ", " << Counted(summary.triangles, "triangle", "triangles")
            << ", " << Counted(summary.weights, "weight", "weights") << ", "
            << Counted(static_cast<long long>(summary.clips.size()), "clip", "clips") << "\n";
    return !model.warnings.empty() && run.options.strict ? kBadInput : kSuccess;
}

// The skeleton a clip is read against, loaded once a check; null when it does not load.
convert::LoadedModel* Skeleton(CheckRun& run, const std::string& mesh) {
    auto found = run.skeletons.find(mesh);
    if (found == run.skeletons.end()) found = run.skeletons.emplace(mesh, convert::LoadModel(run.files, mesh)).first;
    return found->second.loaded ? &found->second : nullptr;
}

int CheckAnimation(CheckRun& run, const std::string& file) {
    size_t unchosen = 0;
    const std::string& given = run.options.mesh;
    const std::string mesh = !given.empty() ? given : convert::MeshBeside(run.files, file, &unchosen);
    if (unchosen > 0) {
        run.err << file << ": error: its folder holds " << unchosen
                << " meshes and none is named like the clip: name one with --mesh\n";
        return kBadUsage;
    }
    convert::LoadedModel* skeleton = mesh.empty() ? nullptr : Skeleton(run, mesh);
    if (!mesh.empty() && skeleton == nullptr) {
        if (!given.empty()) {
            run.out << file << ": error: the mesh given, " << mesh << ", does not load (check it)\n";
            return kBadInput;
        }
        run.out << file << ": warning: " << mesh << " does not load (check it): no joint names to match against\n";
    }
    // The engines match the clip against the skeleton as it was read, before the clip joins it.
    if (ClipRefused(run, run.files, file, skeleton != nullptr ? skeleton->actor.get() : nullptr, mesh)) {
        run.out << file << ": refused by the engine\n";
        return kBadInput;
    }
    const convert::ClipCheck clip = convert::CheckClip(run.files, file, skeleton);
    PrintDiagnostics(clip.warnings, run.out);
    if (!clip.loaded) {
        PrintDiagnostics({clip.failure}, run.out);
        return kBadInput;
    }
    const bool warned = !clip.warnings.empty() || (skeleton == nullptr && !mesh.empty());
    run.out << file << ": OK: " << Counted(clip.frames, "frame", "frames") << " at " << clip.frameRate << " fps, "
            << Counted(clip.tracks, "track", "tracks");
    if (skeleton == nullptr) {
        run.out << (mesh.empty() ? " (no mesh beside it to match joint names against)\n" : "\n");
    } else if (clip.unmatched == 0) {
        run.out << ", every track names a joint of " << mesh << "\n";
    } else {
        run.out << ", " << clip.unmatched << " of them name no joint of " << mesh << " and drive nothing\n";
    }
    return warned && run.options.strict ? kBadInput : kSuccess;
}

// A model of the game bases, by its declaration's, entityDef's or mesh's name: what the
// game would refuse or leave out of it, its clips and its maps.
int CheckGameModel(CheckRun& run, const std::string& name) {
    ModelFiles files;
    files.bases = run.options.bases;
    std::ostringstream said;
    const convert::LoadedModel model = LoadForCommand(files, name, said, said);
    run.out << said.str();
    if (!model.loaded) return kBadInput;
    const convert::ModelMaps maps = files.MapsOf(*model.actor);
    PrintDiagnostics(maps.warnings, run.out);
    if (Refused(run, [&](const convert::EngineTarget& target) {
            return convert::CheckModelForTarget(target, model, files.Files());
        })) {
        run.out << name << ": refused by the engine\n";
        return kBadInput;
    }
    const convert::ModelSummary summary = convert::Summarize(model, files.Files());
    run.out << name << ": OK: " << files.game.mesh << ", " << Counted(summary.joints, "joint", "joints") << ", "
            << Counted(static_cast<long long>(summary.meshes.size()), "mesh", "meshes") << ", "
            << Counted(static_cast<long long>(summary.clips.size()), "clip", "clips") << ", images " << maps.images
            << " of " << maps.imagesNamed << "\n";
    const bool warned = !model.warnings.empty() || !maps.warnings.empty() || !files.base.Messages().empty();
    return warned && run.options.strict ? kBadInput : kSuccess;
}

}  // namespace

int Check(const CheckOptions& options, std::ostream& out, std::ostream& err) {
    CheckRun run{options, out, err, {}, {}};
    int status = kSuccess;
    for (const std::string& file : options.files) {
        const std::string extension = Lower(std::filesystem::path(file).extension().string());
        int result = kBadInput;
        std::error_code code;
        if (!options.bases.empty() && !std::filesystem::is_regular_file(std::filesystem::u8path(file), code)) {
            result = CheckGameModel(run, file);
        } else if (extension == ".md5mesh") {
            result = CheckMesh(run, file);
        } else if (extension == ".md5anim") {
            result = CheckAnimation(run, file);
        } else {
            err << file << ": error: not an .md5mesh or .md5anim file\n";
        }
        status = std::max(status, result);
    }
    return status;
}

}  // namespace md5tool
