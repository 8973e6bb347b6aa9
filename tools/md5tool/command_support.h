#pragma once

// What md5tool's commands share: their files, and the core's records in md5tool's words.
#include <ostream>
#include <string>
#include <vector>

#include "decl_set.h"
#include "diagnostics.h"
#include "disk_files.h"
#include "game_base.h"
#include "game_model.h"
#include "loaded_model.h"
#include "surface_maps.h"

namespace md5tool {

// Each record a line: "FILE:LINE: warning: TEXT", "FILE: error: TEXT".
void PrintDiagnostics(const convert::Diagnostics& diagnostics, std::ostream& stream);

// Where a command reads its model: the disk as it stands, or the game bases its --base
// options name, where the model may be a declaration's or an entityDef's name.
struct ModelFiles {
    std::vector<std::string> bases;
    DiskFiles disk;
    convert::GameBase base;
    bool fromBase = false;
    convert::DeclSet decls;   // the base's declarations, when fromBase
    convert::GameModel game;  // the model the base gave, when fromBase
    convert::FileSet& Files() { return fromBase ? static_cast<convert::FileSet&>(base) : disk; }
    // The maps of a model the base gave, one a mesh, as the game lights it.
    convert::ModelMaps MapsOf(const brmath::ModelRecords& model) {
        return convert::ReadGameModelMaps(base, decls, game, model);
    }
};

// Reads the model a command names from its files: what was left out, and what reading
// a base said, goes to `said`; why the model did not load, to `err`.
convert::LoadedModel LoadForCommand(ModelFiles& files, const std::string& model, std::ostream& said, std::ostream& err);

// The number of the clip a --clip names by name (a declaration's alias, or a clip file's
// name); false with the message on `err`. An empty name leaves *clip as it is.
bool ClipByName(const convert::LoadedModel& model, const std::string& name, int* clip, std::ostream& err);

// "MESH: error: no clip 5 (its clips are 0 to 2)", for a clip asked for by number.
std::string NoClipMessage(const std::string& mesh, long long clip, int clips);

// "md5tool: --scale wants a number from 1e-6 to 1e6" unless it is in range.
bool ScaleOption(double scale, std::ostream& err);

}  // namespace md5tool
