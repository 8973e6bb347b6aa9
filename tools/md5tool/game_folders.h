#pragma once

// The game bases md5tool's --base options name, read from the disk in place: a game
// folder (its .pk4 files in name order, its loose files over them) or one .pk4; a
// later base wins over an earlier one, as a mod over the game.
#include <ostream>
#include <string>
#include <vector>

#include "game_base.h"

namespace md5tool {

// False, with the message on `err`, when a path is neither a folder nor a file.
bool OpenBases(const std::vector<std::string>& paths, convert::GameBase* base, std::ostream& err);

}  // namespace md5tool
