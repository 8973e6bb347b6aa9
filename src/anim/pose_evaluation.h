#pragma once

// Posing the skeleton: the joints a clip drives, at a frame or in its base frame.
#include <cstdint>

#include "model/model.h"

namespace brmath {

// Every joint the clip drives gets translation x rotation of its key at `frame`
// (wrapped into the clip, negative frames too; a clip without frames shows its base
// frame), then its parent's matrix applied after; tracks in file order, parents first.
// With `scales` (one a joint, by its index), a joint whose scale has scalePositions
// gets its translation scaled first.
void PoseClipFrame(const Animation& clip, int32_t frame, const JointScale* scales = nullptr);

// The joints' matrices as weights are placed from them: each of `joints` copied to
// `scaled`, its rotation's rows multiplied by its scale.
void ScaleJointAxes(const Joint* joints, int32_t count, const JointScale* scales, Joint* scaled);

// The key `frame` shows: wrapped into the clip, -1 for a clip without frames.
int32_t ClipKey(const Animation& clip, int32_t frame);

// Whether posing the clip at a key gives the same joints whatever they held before:
// each track drives a later joint of the skeleton than the tracks before it, and its
// parent is an earlier joint, so every parent the clip drives is posed before its
// children. A clip whose hierarchy names a later parent reads that parent's matrix
// from the pose before.
bool ClipPosesFromKeysAlone(const Animation& clip);

// The same with every track's base-frame pose.
void PoseBaseFrame(const Animation& clip);

}  // namespace brmath
