#include "model_loading.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>

#include "md5/anim_reader.h"
#include "md5/load_report.h"
#include "md5/read_failure.h"
#include "md5/text_file.h"
#include "md5/text_scan.h"
#include "platform/file_search.h"
#include "utf8_text.h"

namespace md5tool {

#if !defined(_WIN32)
using brmath::FindClose;
using brmath::FindFirstFileA;
using brmath::FindNextFileA;
using brmath::HANDLE;
using brmath::WIN32_FIND_DATAA;
#endif

namespace {

// Warnings of one kind beyond this many are counted, not printed: a file with 200 000
// surplus blocks gets 20 lines and "and 199 980 more".
constexpr int kWarningsOfAKind = 20;

struct Collector {
    LoadOutcome* outcome;
    bool tracksMatter;
    bool bareName;  // the file was given without a folder, so its clips' paths are too
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
    if (kind == brmath::Notice::kClipLeftOut) {
        ++collector.outcome->clipsLeftOut;
        collector.outcome->clipPathsLeftOut.push_back(path);
    }
    if (++collector.counts[kind] > kWarningsOfAKind) return;
    // The library joins a clip to its folder with a backslash, which Windows shows as is.
    std::string shown = path;
#if !defined(_WIN32)
    for (char& c : shown) c = c == '\\' ? '/' : c;
#endif
    if (collector.bareName && (shown.rfind("./", 0) == 0 || shown.rfind(".\\", 0) == 0)) shown.erase(0, 2);
    collector.outcome->warnings.push_back(Located(shown, line) + ": warning: " + message);
}

template <typename Read>
LoadOutcome ReadReporting(const std::string& file, bool tracksMatter, Read read) {
    LoadOutcome outcome;
    Collector collector{&outcome, tracksMatter, file.find_first_of("/\\") == std::string::npos, {}};
    brmath::LoadReport report;
    report.notice = &Collect;
    report.context = &collector;
    brmath::ReadFailure failure;
    outcome.loaded = read(&failure, &report);
    for (const auto& [kind, count] : collector.counts) {
        if (count > kWarningsOfAKind) {
            outcome.warnings.push_back(file + ": warning: and " + std::to_string(count - kWarningsOfAKind) + " more " +
                                       KindName(kind));
        }
    }
    if (!outcome.loaded) {
        outcome.where = Located(file, failure.line);
        outcome.reason = failure.message;
    }
    return outcome;
}

}  // namespace

std::string Located(const std::string& file, int line) {
    return line > 0 ? file + ":" + std::to_string(line) : file;
}

LoadOutcome LoadMeshReporting(brmath::Actor& actor, const std::string& mesh) {
    LoadOutcome outcome = ReadReporting(mesh, true, [&](brmath::ReadFailure* failure, const brmath::LoadReport* report) {
        return actor.LoadMesh(mesh.c_str(), failure, report);
    });
    if (!outcome.loaded) return outcome;
    // JSON and glTF hold UTF-8 only: every command says so, so that --strict catches it.
    bool replaced = false;
    for (int j = 0; j < actor.jointCount; ++j) Utf8Text(actor.joints[j].name, &replaced);
    for (int m = 0; m < actor.meshCount; ++m) Utf8Text(actor.meshes[m].shader, &replaced);
    for (const std::string& name : ClipNames(mesh, outcome, actor)) Utf8Text(name, &replaced);
    if (replaced) outcome.warnings.push_back(mesh + ": " + kReplacedNamesWarning);
    return outcome;
}

bool LoadMeshForCommand(brmath::Actor& actor, const std::string& mesh, std::ostream& err) {
    const LoadOutcome loaded = LoadMeshReporting(actor, mesh);
    for (const std::string& warning : loaded.warnings) err << warning << "\n";
    if (!loaded.loaded) err << loaded.Failure() << "\n";
    return loaded.loaded;
}

std::vector<std::string> ClipNames(const std::string& mesh, const LoadOutcome& outcome, const brmath::Actor& actor) {
    const std::vector<std::string> files = LoadedClipFiles(mesh, outcome, actor.animationCount);
    std::vector<std::string> names;
    for (int c = 0; c < actor.animationCount; ++c) {
        std::string name = actor.animations[c].name;
        if (static_cast<size_t>(c) < files.size()) {
            name = files[static_cast<size_t>(c)];
            std::string ending = name.size() >= 8 ? name.substr(name.size() - 8) : "";
            for (char& ch : ending) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
            if (ending == ".md5anim") name.resize(name.size() - 8);
        }
        names.push_back(name);
    }
    return names;
}

std::vector<std::string> LoadedClipFiles(const std::string& mesh, const LoadOutcome& outcome, int clipCount) {
    char folder[1024];
    if (!brmath::GetMeshFolder(mesh.c_str(), folder, sizeof(folder))) return {};
    const std::string pattern = std::string(folder) + "\\*.md5anim";
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string path = std::string(folder) + "\\" + found.cFileName;
            const auto& out = outcome.clipPathsLeftOut;
            if (std::find(out.begin(), out.end(), path) == out.end()) names.push_back(found.cFileName);
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    if (static_cast<int>(names.size()) != clipCount) names.clear();
    return names;
}

LoadOutcome LoadClipReporting(brmath::Actor& actor, const std::string& clip) {
    return ReadReporting(clip, true, [&](brmath::ReadFailure* failure, const brmath::LoadReport* report) {
        return actor.LoadAnimation(clip.c_str(), failure, report);
    });
}

LoadOutcome ReadClipAlone(const std::string& path, brmath::Animation* clip) {
    std::memset(clip, 0, sizeof(*clip));
    brmath::GetPathBaseName(path.c_str(), clip->name, sizeof(clip->name));
    return ReadReporting(path, false, [&](brmath::ReadFailure* failure, const brmath::LoadReport* report) {
        brmath::TextFile file;
        if (!file.Open(path.c_str())) return brmath::RejectWith(failure, 0, "cannot open or read the file");
        return brmath::ReadClipText(file, brmath::ModelRecords{}, *clip, brmath::FileNotes(report, path.c_str()),
                                    failure);
    });
}

}  // namespace md5tool
