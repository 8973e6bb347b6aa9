#pragma once

#include <ostream>
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
    std::string Failure() const { return where + ": error: " + reason; }  // "FILE:LINE: error: ..."
    std::vector<std::string> warnings;
    int clipsLeftOut = 0;
    std::vector<std::string> clipPathsLeftOut;  // as the library joined them
};

// Reads a mesh file and the clips beside it into `actor`, once.
LoadOutcome LoadMeshReporting(brmath::Actor& actor, const std::string& mesh);
// LoadMeshReporting for the commands that go on to use the model: the warnings and,
// when the library refuses the file, "FILE:LINE: error: reason" go to `err`.
bool LoadMeshForCommand(brmath::Actor& actor, const std::string& mesh, std::ostream& err);

// The file names of the clips the library loaded with `mesh`, in clip order (the
// folder's listing without the clips it left out); empty if they do not add up.
std::vector<std::string> LoadedClipFiles(const std::string& mesh, const LoadOutcome& outcome, int clipCount);

// Each clip's name, in clip order: its file's name without ".md5anim" (the library's
// own name, which stops at the first '.', where the files do not add up).
std::vector<std::string> ClipNames(const std::string& mesh, const LoadOutcome& outcome, const brmath::Actor& actor);

// Reads one clip file into `actor`, whose skeleton is in place.
LoadOutcome LoadClipReporting(brmath::Actor& actor, const std::string& clip);

// Reads one clip file with the library's clip reader against no skeleton (every track
// then drives nothing, which is not worth a warning); `clip` receives what was read,
// to be released with brmath::ReleaseAnimation.
LoadOutcome ReadClipAlone(const std::string& path, brmath::Animation* clip);

}  // namespace md5tool
