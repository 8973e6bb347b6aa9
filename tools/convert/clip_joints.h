#pragma once

// Whether a clip's skeleton is its mesh's, as the game demands before it plays one:
// the same joint count, and joint by joint the same names and parents.
#include <string>
#include <vector>

#include "model/model.h"

namespace convert {

// One hierarchy line of a clip: "NAME" PARENT FLAGS START.
struct HierarchyEntry {
    std::string name;
    long parent = -1, flags = 0;
};

// The clip's hierarchy, read from its head only (its frames can run to megabytes); false
// when it cannot be read.
bool ReadHierarchy(const std::string& clipText, const std::string& clipName, std::vector<HierarchyEntry>* entries);

// False with why (in the game's words where it has them) when they differ or the
// clip's hierarchy cannot be read.
bool ClipJointsMatch(const std::string& clipText, const brmath::ModelRecords& mesh, const std::string& meshName,
                     const std::string& clipName, std::string* why);

}  // namespace convert
