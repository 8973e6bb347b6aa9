#pragma once

// glTF to MD5: the conversion that md5tool import and the web module share.
#include <string>
#include <utility>
#include <vector>

#include "commands.h"

namespace md5tool {

// The MD5 files of one import, not yet written, and what was said on the way.
struct ImportResult {
    int status = kBadInput;  // kSuccess, or why not (kBadUsage, kBadInput)
    std::string name;        // the files' name: NAME.md5mesh, NAME_<animation>.md5anim
    // File name (no folder) and bytes: the mesh first, then a clip an animation.
    std::vector<std::pair<std::string, std::string>> files;
    std::vector<std::string> messages;  // warnings and, on failure, the reason: a line each
    std::string counts;                 // "J joints, M meshes, V vertices, T triangles"
    std::vector<std::string> clips;     // "clip N: FILE, F frames at R fps", as the library numbers them
};

// Reads and checks `options.model`, converts it and poses what it wrote (in a scratch
// folder of the system's, removed after) for the clips' bounds. `options.folder` is
// not used: nothing is written there.
ImportResult ImportMd5Files(const ImportOptions& options);

}  // namespace md5tool
