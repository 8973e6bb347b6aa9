#pragma once

// Which model of a Quake base a name means, as the remasters' ports find it: for
// DIR/X.mdl the mesh DIR/X.md5mesh and its one clip DIR/X.md5anim; for DIR/X.md2 the
// mesh DIR/md5/X.md5mesh, DIR/md5/X.md5anim and DIR/md5/X.md5scale. An MD5 path beside
// such a file means the same model.
#include <string>

#include "game_base.h"
#include "game_model.h"

namespace convert {

// False when the name is no Quake model's; else true with the model, or its failure.
bool ChooseQuakeModel(GameBase& base, const std::string& name, GameModel* model);

// The Quake model a mesh path of the base belongs to, or empty ("progs/ogre.mdl").
std::string QuakeModelOfMesh(GameBase& base, const std::string& mesh);

}  // namespace convert
