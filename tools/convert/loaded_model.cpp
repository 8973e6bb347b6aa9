#include "loaded_model.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>

#include "anim/pose_evaluation.h"
#include "md5/anim_reader.h"
#include "md5/load_report.h"
#include "md5/read_failure.h"
#include "md5/text_file.h"
#include "md5/text_scan.h"
#include "clip_joints.h"
#include "clip_split.h"
#include "utf8_text.h"

namespace convert {

namespace {

// Warnings of one kind beyond this many are counted, not listed: a file with 200 000
// surplus blocks gets 20 warnings and "and 199 980 more".
constexpr int kWarningsOfAKind = 20;

struct Collector {
    Diagnostics* warnings;
    bool tracksMatter;
    bool bareName;  // the file was given without a folder, so its clips' paths are too
    std::vector<std::string> clipPathsLeftOut;
    std::vector<brmath::Matrix4>* bindPose;
    std::map<brmath::Notice, int> counts;
};

const char* KindName(brmath::Notice kind) {
    switch (kind) {
        case brmath::Notice::kClipLeftOut: return "clips left out";
        case brmath::Notice::kPastDeclaredCount: return "records or blocks past a declared count";
        case brmath::Notice::kTrackWithoutJoint: return "tracks that name no joint";
        case brmath::Notice::kOtherVersion: return "version lines other than 10";
        case brmath::Notice::kKeywordHidden: return "keywords taken from comments or quoted texts";
    }
    return "warnings";
}

void Collect(void* context, brmath::Notice kind, const char* path, int line, const char* message) {
    Collector& collector = *static_cast<Collector*>(context);
    if (kind == brmath::Notice::kTrackWithoutJoint && !collector.tracksMatter) return;
    if (kind == brmath::Notice::kClipLeftOut) collector.clipPathsLeftOut.push_back(path);
    if (++collector.counts[kind] > kWarningsOfAKind) return;
    // The library joins a clip to its folder with a backslash, which Windows shows as is.
    std::string shown = path;
#if !defined(_WIN32)
    for (char& c : shown) c = c == '\\' ? '/' : c;
#endif
    if (collector.bareName && (shown.rfind("./", 0) == 0 || shown.rfind(".\\", 0) == 0)) shown.erase(0, 2);
    collector.warnings->push_back(Warning(shown, message, line));
}

void KeepBindPose(void* context, const brmath::ModelRecords& model) {
    *static_cast<Collector*>(context)->bindPose = JointMatrices(model);
}

// Runs one read with a report, and turns what it said into records.
template <typename Read>
bool ReadReporting(const std::string& file, Collector& collector, Diagnostic* failure, Read read) {
    brmath::LoadReport report;
    report.notice = &Collect;
    report.meshRead = collector.bindPose != nullptr ? &KeepBindPose : nullptr;
    report.context = &collector;
    brmath::ReadFailure why;
    const bool loaded = read(&why, &report);
    for (const auto& [kind, count] : collector.counts) {
        if (count > kWarningsOfAKind) {
            collector.warnings->push_back(
                Warning(file, "and " + std::to_string(count - kWarningsOfAKind) + " more " + KindName(kind)));
        }
    }
    if (!loaded) *failure = Error(file, why.message, why.line);
    return loaded;
}

Collector CollectorFor(const std::string& file, bool tracksMatter, Diagnostics* warnings) {
    return Collector{warnings, tracksMatter, file.find_first_of("/\\") == std::string::npos, {}, nullptr, {}};
}

// The file names of the clips the library loaded, in clip order: the folder's listing
// without the clips it left out; empty if they do not add up.
std::vector<std::string> LoadedClipFiles(FileSet& files, const std::string& mesh,
                                         const std::vector<std::string>& leftOut, int clipCount) {
    char folder[1024];
    if (!brmath::GetMeshFolder(mesh.c_str(), folder, sizeof(folder))) return {};
    std::vector<std::string> names;
    for (const std::string& name : ListedNames(files, std::string(folder) + "\\*.md5anim")) {
        const std::string path = std::string(folder) + "\\" + name;
        if (std::find(leftOut.begin(), leftOut.end(), path) == leftOut.end()) names.push_back(name);
    }
    if (static_cast<int>(names.size()) != clipCount) names.clear();
    return names;
}

std::vector<std::string> ClipNames(const LoadedModel& model) {
    std::vector<std::string> names;
    for (int c = 0; c < model.actor->animationCount; ++c) {
        std::string name = model.actor->animations[c].name;
        if (static_cast<size_t>(c) < model.clipFiles.size()) {
            name = model.clipFiles[static_cast<size_t>(c)];
            std::string ending = name.size() >= 8 ? name.substr(name.size() - 8) : "";
            for (char& ch : ending) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
            if (ending == ".md5anim") name.resize(name.size() - 8);
        }
        names.push_back(name);
    }
    return names;
}

// JSON and glTF hold UTF-8 only: every command says so, so that a strict run catches it.
void SayReplacedNames(LoadedModel& model) {
    bool replaced = false;
    const brmath::Actor& actor = *model.actor;
    for (int j = 0; j < actor.jointCount; ++j) Utf8Text(actor.joints[j].name, &replaced);
    for (int m = 0; m < actor.meshCount; ++m) Utf8Text(actor.meshes[m].shader, &replaced);
    for (const std::string& name : model.clipNames) Utf8Text(name, &replaced);
    if (replaced) model.warnings.push_back(Warning(model.mesh, kReplacedNamesWarning));
}

// A set as a declared model's mesh sees it: no clips beside it, since its clips are the
// declaration's.
class ListingNothing final : public FileSet {
public:
    explicit ListingNothing(FileSet& files) : files_(files) {}
    const std::string* Bytes(const std::string& name, std::string* refused) override { return files_.Bytes(name, refused); }
    bool Has(const std::string& name) override { return files_.Has(name); }
    void List(const char*, NameVisitor, void*) override {}

private:
    FileSet& files_;
};

void LoadDeclaredClips(LoadedModel& model, FileSet& files, const GameModel& game) {
    for (const DeclaredClip& clip : game.clips) {
        const std::string* text = files.Bytes(clip.path);
        std::string why;
        Diagnostic failure;
        if (text == nullptr) {
            why = "cannot be read";
        } else if (ClipJointsMatch(*text, *model.actor, game.mesh, clip.path, &why)) {
            if (LoadClip(model, clip.path, &model.warnings, &failure)) {
                model.clipFiles.push_back(clip.path);
                model.clipNames.push_back(clip.alias);
                continue;
            }
            why = MessageLine(failure);
        }
        ++model.clipsLeftOut;
        model.warnings.push_back(Warning(clip.file, "anim " + clip.alias + ": \"" + clip.path + "\": " + why + "; left out", clip.line));
    }
}

// A Quake model's one clip, cut by its old model's frame names; its frames last 0.1 s.
// Its .md5scale is read against the whole clip.
void CutQuakeClip(LoadedModel& model, FileSet& files, const GameModel& game) {
    brmath::Actor& actor = *model.actor;
    if (actor.animationCount != 1) return;
    actor.animations[0].frameRate = kQuakeFrameRate;
    model.wholeClipFrames = actor.animations[0].frameCount;
    model.clipFirstFrames = {0};
    if (!game.scale.empty()) {
        std::string refused;
        const std::string* text = files.Bytes(game.scale, &refused);
        if (text != nullptr) model.scale = ReadMd5Scale(*text, game.scale, actor, model.wholeClipFrames, &model.warnings);
        else model.warnings.push_back(Warning(game.scale, refused.empty() ? "cannot be read" : refused));
    }
    if (game.sequences.empty() || !SplitClip(actor, 0, game.sequences, game.oldModel, &model.warnings)) return;
    model.clipNames.clear();
    model.clipFirstFrames.clear();
    for (const FrameSequence& run : game.sequences) {
        model.clipNames.push_back(run.name);
        model.clipFirstFrames.push_back(run.first);
    }
    model.clipFiles.assign(game.sequences.size(), model.clipFiles.front());
}

}  // namespace

std::string MessageLine(const Diagnostic& diagnostic) {
    const std::string where =
        diagnostic.line > 0 ? diagnostic.file + ":" + std::to_string(diagnostic.line) : diagnostic.file;
    return where + (diagnostic.severity == Severity::kError ? ": error: " : ": warning: ") + diagnostic.text;
}

std::vector<brmath::Matrix4> JointMatrices(const brmath::ModelRecords& skeleton) {
    std::vector<brmath::Matrix4> matrices;
    for (int j = 0; j < skeleton.jointCount; ++j) matrices.push_back(skeleton.joints[j].matrix);
    return matrices;
}

LoadedModel LoadModel(FileSet& files, const std::string& mesh) {
    LoadedModel model;
    model.mesh = mesh;
    model.actor = std::make_unique<brmath::Actor>();
    model.actor->SetFileSource(files);
    Collector collector = CollectorFor(mesh, true, &model.warnings);
    collector.bindPose = &model.bindPose;
    model.loaded = ReadReporting(mesh, collector, &model.failure, [&](brmath::ReadFailure* failure,
                                                                     const brmath::LoadReport* report) {
        return model.actor->LoadMesh(mesh.c_str(), failure, report);
    });
    model.clipsLeftOut = static_cast<int>(collector.clipPathsLeftOut.size());
    if (!model.loaded) return model;
    model.clipFiles = LoadedClipFiles(files, mesh, collector.clipPathsLeftOut, model.actor->animationCount);
    model.clipNames = ClipNames(model);
    model.loadedPose = JointMatrices(*model.actor);
    model.loadedBox = PosedBoxOf(*model.actor);
    SayReplacedNames(model);
    return model;
}

LoadedModel LoadGameModel(FileSet& files, const GameModel& game) {
    if (!game.declared) return LoadModel(files, game.mesh);
    auto view = std::make_unique<ListingNothing>(files);
    LoadedModel model = LoadModel(*view, game.mesh);
    model.view = std::move(view);
    model.warnings.insert(model.warnings.begin(), game.notes.begin(), game.notes.end());
    if (!model.loaded) return model;
    model.clipNames.clear();
    LoadDeclaredClips(model, files, game);
    if (game.quake != 0) CutQuakeClip(model, files, game);
    model.loadedPose = JointMatrices(*model.actor);
    model.loadedBox = PosedBoxOf(*model.actor);
    return model;
}

int WholeClipFrame(const LoadedModel& model, int clip, int frame) {
    const brmath::Actor& actor = *model.actor;
    if (clip < 0 || clip >= actor.animationCount || static_cast<size_t>(clip) >= model.clipFirstFrames.size() ||
        model.wholeClipFrames <= 0) {
        return -1;
    }
    const int key = brmath::ClipKey(actor.animations[clip], frame);
    return key < 0 ? -1 : (model.clipFirstFrames[static_cast<size_t>(clip)] + key) % model.wholeClipFrames;
}

void ProceedAnimation(LoadedModel& model, int frame) {
    brmath::Actor& actor = *model.actor;
    std::vector<brmath::JointScale> scales;
    const int whole = model.scale.Empty() ? -1 : WholeClipFrame(model, actor.currentAnimation, frame);
    if (whole < 0 || !ScalesAtFrame(model.scale, actor.jointCount, whole, &scales) ||
        !actor.ProceedAnimation(frame, scales.data())) {
        actor.ProceedAnimation(frame);
    }
}

bool LoadClip(LoadedModel& model, const std::string& clip, Diagnostics* warnings, Diagnostic* failure) {
    Collector collector = CollectorFor(clip, true, warnings);
    return ReadReporting(clip, collector, failure, [&](brmath::ReadFailure* why, const brmath::LoadReport* report) {
        return model.actor->LoadAnimation(clip.c_str(), why, report);
    });
}

bool ReadClipAlone(FileSet& files, const std::string& path, brmath::Animation* clip, Diagnostics* warnings,
                   Diagnostic* failure) {
    std::memset(clip, 0, sizeof(*clip));
    brmath::GetPathBaseName(path.c_str(), clip->name, sizeof(clip->name));
    Collector collector = CollectorFor(path, false, warnings);
    return ReadReporting(path, collector, failure, [&](brmath::ReadFailure* why, const brmath::LoadReport* report) {
        brmath::TextFile file;
        if (!file.Open(path.c_str(), files)) return brmath::RejectWith(why, 0, "cannot open or read the file");
        return brmath::ReadClipText(file, brmath::ModelRecords{}, *clip, brmath::FileNotes(report, path.c_str()), why);
    });
}

}  // namespace convert
