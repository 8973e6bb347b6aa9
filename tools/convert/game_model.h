#pragma once

// Which model of a game base a name means, as the game finds it: a model declaration,
// then an entityDef's "model", then a mesh path inside the base.
#include <string>
#include <vector>

#include "decl_set.h"
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
};

GameModel ChooseModel(GameBase& base, const DeclSet& decls, const std::string& name);

// Why a path of a declaration leads outside the base, or empty.
std::string PathOutsideBase(const std::string& path);

}  // namespace convert
