#pragma once

// The engines a model is made for, each with the limits it holds a model to: what it
// refuses is an error in its own words where it has them, and what it changes without
// a word (weights dropped) is a warning. "library" holds only this library's own rules.
#include <string>
#include <vector>

#include "diagnostics.h"
#include "file_set.h"
#include "loaded_model.h"
#include "model/model.h"

namespace convert {

struct EngineTarget {
    const char* name;             // as --target names it
    int joints = 0;               // most joints a model; 0: no limit
    int weightsKept = 0;          // the strongest weights a vertex the engine keeps; 0: all
    int vertices = 0;             // most vertices a mesh (its indices' reach)
    int weights = 0;              // most weights a mesh
    int meshes = 0;               // most meshes
    int frames = 0;               // most frames a clip
    int jointName = 0;            // longest joint name, in bytes
    bool checked = true;          // false: the library's rules alone
    bool weightlessRefused = false;  // a vertex without weights refused (else placed at the origin)
    bool oneRoot = false;         // a clip may have one root joint only
    // The engine's own words where they are not Doom 3's: a clip's parent after its
    // child, a clip of another joint count, a joint the clip names otherwise.
    const char* badParentWords = nullptr;
    const char* jointCountWords = nullptr;
    bool renamedWords = false;
};

// Every target, the library's first.
const std::vector<EngineTarget>& EngineTargets();
// The target of that name, or null.
const EngineTarget* FindEngineTarget(const std::string& name);

// What the engine says of a mesh the library read from `text` (for the lines).
Diagnostics CheckMeshForTarget(const EngineTarget& target, const brmath::ModelRecords& mesh, const std::string& file,
                               const std::string& text);

// What the engine says of a clip's text, against the mesh it plays on when there is one.
Diagnostics CheckClipForTarget(const EngineTarget& target, const std::string& text, const std::string& file,
                               const brmath::ModelRecords* mesh, const std::string& meshName);

// Both, for a loaded model's mesh and each of its clip files, read from `files`.
Diagnostics CheckModelForTarget(const EngineTarget& target, const LoadedModel& model, FileSet& files);

}  // namespace convert
