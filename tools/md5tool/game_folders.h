#pragma once

// The game bases md5tool's --base options name, read from the disk in place: a game
// folder or one archive (.pk4, .pak, .pk3, .pkz); a later base wins over an earlier one,
// as a mod over the game. In a folder, Doom 3's .pk4 files lie under its loose files in
// name order, and Quake's archives over them: pak0, pak1, ... in number order, then the
// zips.
#include <ostream>
#include <string>
#include <vector>

#include "game_base.h"

namespace md5tool {

// False, with the message on `err`, when a path is neither a folder nor a file.
bool OpenBases(const std::vector<std::string>& paths, convert::GameBase* base, std::ostream& err);

}  // namespace md5tool
