#pragma once

// A Quake model's one clip cut into the runs its old model's frame names give, each a
// clip of its own whose frames last 0.1 s, as the ports play them.
#include <string>
#include <vector>

#include "diagnostics.h"
#include "frame_names.h"
#include "model/model.h"

namespace convert {

// The ports' frame time: they ignore the file's frameRate.
constexpr int kQuakeFrameRate = 10;

// Replaces the model's clip `clip` by one clip a run, named by the run; frames past the
// clip's end wrap to its start, as the ports take them, with a warning naming `file`.
// False (the model unchanged) when memory runs out.
bool SplitClip(brmath::ModelRecords& model, int clip, const std::vector<FrameSequence>& runs, const std::string& file,
               Diagnostics* warnings);

}  // namespace convert
