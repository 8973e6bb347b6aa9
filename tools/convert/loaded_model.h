#pragma once

// A model as the library reads it: the mesh and the clips beside it, read once from a
// file set, with what the reader left out and the bind pose it read.
#include <memory>
#include <string>
#include <vector>

#include "actor/actor.h"
#include "diagnostics.h"
#include "file_set.h"
#include "game_model.h"
#include "md5_scale.h"
#include "posed_box.h"

namespace convert {

struct LoadedModel {
    std::string mesh;                      // the mesh's name in its set
    std::unique_ptr<FileSet> view;         // the set as the actor sees it, when not the caller's
    std::unique_ptr<brmath::Actor> actor;  // reads from the set it was loaded from
    bool loaded = false;
    Diagnostic failure;                    // why not, when not loaded
    Diagnostics warnings;                  // what the reader passed over or left out
    int clipsLeftOut = 0;
    std::vector<std::string> clipFiles;  // the loaded clips' file names in clip order; empty if they do not add up
    std::vector<std::string> clipNames;  // each clip's file name without ".md5anim" (else the library's name)
    std::vector<brmath::Matrix4> bindPose;    // each joint's model-space matrix as the mesh gives it
    std::vector<brmath::Matrix4> loadedPose;  // and as the load left it (in its clips' base frames)
    PosedBox loadedBox;                       // around the vertices as the load left them
    // A Quake 2 model's .md5scale, numbered by the frames of its whole clip: each clip's
    // first frame there, and how many the whole clip has.
    Md5Scale scale;
    std::vector<int> clipFirstFrames;
    int wholeClipFrames = 0;
};

// Poses the actor's current clip at `frame` as the game shows it: with the model's
// .md5scale where it scales a joint at that frame, else exactly as ProceedAnimation.
void ProceedAnimation(LoadedModel& model, int frame);

// The frame of the whole clip that frame `frame` of clip `clip` shows, or -1.
int WholeClipFrame(const LoadedModel& model, int clip, int frame);

// The joints' model-space matrices as they stand.
std::vector<brmath::Matrix4> JointMatrices(const brmath::ModelRecords& skeleton);

// Reads `mesh` and every clip beside it from `files`, each file once. Warnings of one
// kind past twenty are counted in one more warning; names that are not UTF-8 are said.
LoadedModel LoadModel(FileSet& files, const std::string& mesh);

// Reads a model of a game base: its mesh, then its declaration's clips in order, each
// named by its alias (a clip whose skeleton is not the mesh's left out with a warning
// naming both); a mesh with no declaration takes the clips beside it.
LoadedModel LoadGameModel(FileSet& files, const GameModel& game);

// Reads one more clip into a loaded model (its skeleton in place); false with the failure.
bool LoadClip(LoadedModel& model, const std::string& clip, Diagnostics* warnings, Diagnostic* failure);

// Reads one clip with the library's clip reader against no skeleton (every track then
// drives nothing, which is not worth a warning); `clip` receives what was read, to be
// released with brmath::ReleaseAnimation. False with the failure.
bool ReadClipAlone(FileSet& files, const std::string& path, brmath::Animation* clip, Diagnostics* warnings,
                   Diagnostic* failure);

}  // namespace convert
