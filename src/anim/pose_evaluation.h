#pragma once

// Posing the skeleton: the joints a clip drives, at a frame or in its base frame.
#include <cstdint>

#include "model/model.h"

namespace brmath {

// Every joint the clip drives gets translation x rotation of its key at `frame`
// (wrapped into the clip, negative frames too; a clip without frames shows its base
// frame), then its parent's matrix applied after; tracks in file order, parents first.
void PoseClipFrame(const Animation& clip, int32_t frame);

// The same with every track's base-frame pose.
void PoseBaseFrame(const Animation& clip);

}  // namespace brmath
