// Loading an actor: the mesh file, then every .md5anim file beside it, each read whole
// and checked before it replaces or joins anything.
#include <cstdio>
#include <cstring>

#include "actor/actor.h"
#include "anim/pose_evaluation.h"
#include "base/allocation.h"
#include "md5/anim_reader.h"
#include "md5/mesh_reader.h"
#include "md5/read_failure.h"
#include "md5/text_scan.h"

namespace brmath {

namespace {

// Size of the paths built here (the folder, the search pattern, a clip's path).
constexpr size_t kPathSize = 1024;

}  // namespace

bool Actor::LoadMesh(const char* path, ReadFailure* failure, const LoadReport* report) {
    if (path == nullptr) return RejectWith(failure, 0, "no path given");
    char folder[kPathSize];
    char pattern[kPathSize];
    if (!GetMeshFolder(path, folder, sizeof(folder))) return RejectWith(failure, 0, "the path is too long");
    const int patternLength = std::snprintf(pattern, sizeof(pattern), "%s\\*.md5anim", folder);
    if (patternLength < 0 || patternLength >= static_cast<int>(sizeof(pattern))) {
        return RejectWith(failure, 0, "the path is too long");
    }
    // Drawing reads the model: a device that calls back to replace it is refused.
    if (drawing_ > 0) return RejectWith(failure, 0, "the actor is being drawn");

    TextFile file;
    if (!file.Open(path, *files_)) return RejectWith(failure, 0, "cannot open or read the file");
    const FileNotes notes(report, path);
    ModelRecords model;
    if (!ReadMeshText(file, model, notes, failure)) {
        ReleaseModel(model);
        return false;
    }
    TakeModel(model);
    SkinVertices();
    loaded = true;

    if (report != nullptr && report->meshRead != nullptr) report->meshRead(report->context, *this);
    LoadClipsBeside(path, folder, pattern, report);
    if (currentAnimation >= animationCount) currentAnimation = 0;
    return true;
}

void Actor::LoadClipsBeside(const char* mesh, const char* folder, const char* pattern, const LoadReport* report) {
    struct Listing {
        Actor* actor;
        const char* mesh;
        const char* folder;
        const LoadReport* report;
    } listing{this, mesh, folder, report};
    files_->List(pattern, [](void* context, const char* name) {
        const Listing& at = *static_cast<const Listing*>(context);
        const FileNotes notes(at.report, at.mesh);
        char clipPath[kPathSize];
        const int length = std::snprintf(clipPath, sizeof(clipPath), "%s\\%s", at.folder, name);
        // A name that does not fit would open another file: pass over it.
        if (length <= 0 || length >= static_cast<int>(sizeof(clipPath))) {
            notes.Note(Notice::kClipLeftOut, 0, "clip %s left out: its path is too long", name);
            return;
        }
        ReadFailure clipFailure;
        if (!at.actor->LoadAnimation(clipPath, &clipFailure, at.report) && notes.Wanted()) {
            FileNotes(at.report, clipPath).Note(Notice::kClipLeftOut, clipFailure.line, "clip left out: %s",
                                                clipFailure.message);
        }
    }, &listing);
}

bool Actor::LoadAnimation(const char* path, ReadFailure* failure, const LoadReport* report) {
    if (joints == nullptr) return RejectWith(failure, 0, "no skeleton to animate");
    if (path == nullptr) return RejectWith(failure, 0, "no path given");
    TextFile file;
    if (!file.Open(path, *files_)) return RejectWith(failure, 0, "cannot open or read the file");

    Animation clip;
    std::memset(&clip, 0, sizeof(clip));
    GetPathBaseName(path, clip.name, sizeof(clip.name));
    const bool read = ReadClipText(file, *this, clip, FileNotes(report, path), failure);
    if (!read || !AppendAnimation(clip)) {
        if (read) RejectWith(failure, 0, "out of memory");
        ReleaseAnimation(clip);
        return false;
    }
    // The base frame moves joints the shown pose was skinned from.
    PoseBaseFrame(clip);
    ForgetPosedKey();
    return true;
}

bool Actor::AppendAnimation(Animation& clip) {
    void* grown = ReallocateBytes(animations, sizeof(Animation) * (static_cast<size_t>(animationCount) + 1));
    if (grown == nullptr) return false;
    animations = static_cast<Animation*>(grown);
    animations[animationCount++] = clip;
    return true;
}

}  // namespace brmath
