#pragma once

// Which model of a game base a name means, as the game finds it: a model declaration,
// then an entityDef's "model", then a mesh path inside the base.
#include <string>
#include <vector>

#include "decl_set.h"
#include "frame_names.h"
#include "game_base.h"
#include "model_decl.h"

namespace convert {

struct GameModel {
    bool found = false;
    Diagnostic failure;      // when not found, why
    std::string name;        // the declaration's name, or the mesh's path
    std::string mesh;        // in the base
    bool declared = false;   // the clips are the declaration's, not the mesh's folder's
    std::vector<DeclaredClip> clips;
    std::string skin;
    bool hasOffset = false;
    float offset[3] = {0, 0, 0};
    Diagnostics notes;       // what the declaration passed over, and clips left out
    // A Quake model: which game's rules found it (1 or 2; 0 for Doom 3's), its old model
    // file and the clips its frame names make (none without the file), Quake 2's skins as
    // the .md2 lists them with md5/ put before each file name, and the .md5scale.
    int quake = 0;
    std::string oldModel;
    std::vector<FrameSequence> sequences;
    std::vector<std::string> skins;
    std::string scale;
};

GameModel ChooseModel(GameBase& base, const DeclSet& decls, const std::string& name);

// Why a path of a declaration leads outside the base, or empty.
std::string PathOutsideBase(const std::string& path);

}  // namespace convert
