#pragma once

// A Quake 2 model's .md5scale: JSON naming joints, each with "scale_positions" and a
// scale for some frames of the model's clip ({"head": {"12": 0}} hides the head at
// frame 12). A frame not named has scale 1.
#include <map>
#include <string>
#include <vector>

#include "diagnostics.h"
#include "model/model.h"
#include "model/model.h"

namespace convert {

// Deeper JSON than this is refused before it is parsed.
constexpr int kScaleDepthLimit = 32;

struct ScaledJoint {
    int joint = 0;
    bool scalePositions = false;
    std::map<int, float> frames;  // frame of the whole clip -> scale
};

struct Md5Scale {
    std::vector<ScaledJoint> joints;
    bool Empty() const { return joints.empty(); }
};

// Reads the file against the model's joints and its clip's frames, in the ports' words:
// a joint or frame that does not exist, or a scale that is not a finite number, is
// left out with a warning; JSON that does not parse (or nests too deep) gives no scale.
Md5Scale ReadMd5Scale(const std::string& text, const std::string& file, const brmath::ModelRecords& model,
                      int frameCount, Diagnostics* warnings);

// The scale of every joint at one frame of the whole clip: false when none is scaled.
bool ScalesAtFrame(const Md5Scale& scale, int jointCount, int frame, std::vector<brmath::JointScale>* scales);

// The .md5scale text for a scale (joints by their names, frames in order), as the ports read it.
std::string WriteMd5Scale(const Md5Scale& scale, const std::vector<std::string>& jointNames);

}  // namespace convert
