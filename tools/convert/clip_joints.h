#pragma once

// Whether a clip's skeleton is its mesh's, as the game demands before it plays one:
// the same joint count, and joint by joint the same names and parents.
#include <string>

#include "model/model.h"

namespace convert {

// False with why (in the game's words where it has them) when they differ or the
// clip's hierarchy cannot be read.
bool ClipJointsMatch(const std::string& clipText, const brmath::ModelRecords& mesh, const std::string& meshName,
                     const std::string& clipName, std::string* why);

}  // namespace convert
