#pragma once

// A clip file on its own: the mesh whose joints it is read against, and what it holds.
#include <string>

#include "diagnostics.h"
#include "file_set.h"
#include "loaded_model.h"

namespace convert {

// The mesh a clip is read against when none is named: the only mesh of the clip's
// folder, else the one whose name the clip's name begins with (the longest such). Empty
// when the folder has none, or when it cannot choose: *unchosen then counts the meshes.
std::string MeshBeside(FileSet& files, const std::string& clip, size_t* unchosen);

struct ClipCheck {
    bool loaded = false;
    Diagnostics warnings;
    Diagnostic failure;  // when not loaded
    int frames = 0, frameRate = 0, tracks = 0;
    int unmatched = 0;  // tracks that name no joint of the skeleton
};

// Reads `clip` against the skeleton of `model` (appending it there), or against none
// when `model` is null.
ClipCheck CheckClip(FileSet& files, const std::string& clip, LoadedModel* model);

}  // namespace convert
