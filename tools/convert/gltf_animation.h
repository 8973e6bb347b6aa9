#pragma once

// A skeleton's transforms in glTF's space, and a clip as a glTF animation.
#include <string>
#include <vector>

#include "actor/actor.h"
#include "gltf_buffer.h"
#include "gltf_space.h"

namespace convert {

// Every joint's transform relative to its parent, in glTF's space, from model-space
// matrices given a joint each (the skeleton gives the parents).
std::vector<Affine> LocalTransforms(const brmath::ModelRecords& skeleton, const std::vector<brmath::Matrix4>& matrices,
                                    const GltfSpace& space);

// A clip's .md5scale as glTF plays it: the joints' scales at each frame (empty: none
// then), and the scale-only nodes from `firstNode` on, one for each of `joints`.
struct ClipScales {
    std::vector<std::vector<brmath::JointScale>> frames;
    std::vector<int> joints;
    int firstNode = 0;
};

// One animation: the joints as the library poses clip `clip` at each frame, starting
// from `start` (the joints as the load left them), and a last key at count / frameRate
// equal to the first, so that a looping player wraps as the library does. A joint gets
// channels when the clip drives it or when it moves (a joint the clip does not drive
// stays where it was in model space, under a parent that moves); `undriven` counts the
// joints it does not drive. With `scales`, a joint whose scale has scalePositions is
// keyed with its translation scaled, and each scale-only node gets scale keys where
// its joint's scale is not one. Leaves the actor's joints posed.
tinygltf::Animation MakeAnimation(brmath::Actor& actor, const std::vector<brmath::Matrix4>& start, int clip,
                                  const std::string& name, const std::vector<Affine>& rest, const GltfSpace& space,
                                  BufferWriter& buffer, int* undriven, const ClipScales* scales = nullptr);

// The animations' names: the clips' names, each taken name given a suffix _2, _3, ...
std::vector<std::string> AnimationNames(const std::vector<std::string>& clips);

}  // namespace convert
