#pragma once

#include <string>
#include <vector>

#include "actor/actor.h"

namespace md5tool {

// "FILE:LINE" (just "FILE" for line 0), the prefix of every message about a file.
std::string Located(const std::string& file, int line);

// What the library said while reading a file: why it refused it, and a line for each
// thing it passed over or left out ("FILE:LINE: warning: ...").
struct LoadOutcome {
    bool loaded = false;
    std::string where;   // "FILE:LINE" of the refusal, when not loaded
    std::string reason;  // and the library's message
    std::string Failure() const { return where + ": " + reason; }
    std::vector<std::string> warnings;
    int clipsLeftOut = 0;
};

// Reads a mesh file and the clips beside it into `actor`, once.
LoadOutcome LoadMeshReporting(brmath::Actor& actor, const std::string& mesh);
// Reads one clip file into `actor`, whose skeleton is in place; with `tracksMatter`
// false, tracks that name no joint are not worth a warning.
LoadOutcome LoadClipReporting(brmath::Actor& actor, const std::string& clip, bool tracksMatter = true);

}  // namespace md5tool
