#pragma once

// md5tool render's options checked and laid out before anything is read or drawn: the
// picture's size, the frames, the output's shape and the memory it takes.
#include <ostream>
#include <string>
#include <vector>

#include "commands.h"

namespace md5tool {

struct RenderPlan {
    int width = 0, height = 0;  // of each frame's picture
    std::vector<int> frames;
    bool sequence = false;      // a file a frame, named from the output's %d field
    bool sheet = false;         // one contact sheet (else a sequence or an animated PNG)
    int columns = 1, rows = 1, gap = 0;
    long long sheetWidth = 0, sheetHeight = 0;
};

// False, having said why on `err`, when the options cannot make a picture; warnings
// about options that do nothing go to `err` too.
bool PlanRender(const RenderOptions& options, RenderPlan* plan, std::ostream& err);

// The file name of a frame: the pattern with its field filled in and "%%" as "%", at
// whatever length that takes (a pattern without a field gives its "%%" as "%").
std::string FrameFileName(const std::string& pattern, int frame);

}  // namespace md5tool
