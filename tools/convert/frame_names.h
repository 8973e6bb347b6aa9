#pragma once

// What the remasters still read from a Quake model's old file: its frames' names (16
// bytes each), and for Quake 2 its skin list. A header's counts and offsets are
// trusted only as far as the file's bytes reach.
#include <string>
#include <vector>

#include "diagnostics.h"

namespace convert {

struct OldModel {
    std::vector<std::string> frames;  // a frame group is named by its first frame
    std::vector<std::string> skins;   // an .md2's skin paths (an .mdl's skins are inside it)
};

// A Quake .mdl ("IDPO", version 6) or Quake 2 .md2 ("IDP2", version 8); false with the
// failure, naming `file`.
bool ReadMdl(const std::string& bytes, const std::string& file, OldModel* model, Diagnostic* failure);
bool ReadMd2(const std::string& bytes, const std::string& file, OldModel* model, Diagnostic* failure);

// A run of frames one clip plays: stand1 to stand9 make "stand".
struct FrameSequence {
    std::string name;
    int first = 0;
    int count = 0;
};

// The frames split where a name's stem (the name without its trailing digits) changes
// or its number does not follow on: a stem that comes back names its later runs stem2,
// stem3, and so on; a name of digits alone has the stem "frame".
std::vector<FrameSequence> FrameSequences(const std::vector<std::string>& frames);

}  // namespace convert
