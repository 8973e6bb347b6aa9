#include "md5_scale.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

#include <nlohmann/json.hpp>

#include "float_text.h"

namespace convert {

namespace {

// How deep the text nests its objects and arrays, strings passed over.
int Depth(const std::string& text) {
    int depth = 0, deepest = 0;
    bool quoted = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '\\') ++i;
            else if (c == '"') quoted = false;
        } else if (c == '"') {
            quoted = true;
        } else if (c == '{' || c == '[') {
            deepest = std::max(deepest, ++depth);
        } else if (c == '}' || c == ']') {
            --depth;
        }
    }
    return deepest;
}

int JointIndex(const brmath::ModelRecords& model, const std::string& name) {
    for (int j = 0; j < model.jointCount; ++j) {
        if (name == model.joints[j].name) return j;
    }
    return -1;
}

// A frame key: decimal digits only, as the ports' number parse takes them.
bool FrameNumber(const std::string& key, long long* frame) {
    if (key.empty() || key.size() > 9 || key.find_first_not_of("0123456789") != std::string::npos) return false;
    *frame = std::stoll(key);
    return true;
}

void ReadJoint(const std::string& name, const nlohmann::json& entry, const std::string& file, int joint,
               int frameCount, Md5Scale* scale, Diagnostics* warnings) {
    ScaledJoint scaled;
    scaled.joint = joint;
    for (const auto& [key, value] : entry.items()) {
        if (key == "scale_positions") {
            if (value.is_boolean()) scaled.scalePositions = value.get<bool>();
            else warnings->push_back(Warning(file, "joint \"" + name + "\": scale_positions is not true or false; taken as false"));
            continue;
        }
        long long frame = -1;
        if (!FrameNumber(key, &frame) || frame >= frameCount) {
            warnings->push_back(Warning(file, "No such frame " + key + " in " + file));
            continue;
        }
        if (!value.is_number() || !(std::fabs(value.get<double>()) <= FLT_MAX)) {
            warnings->push_back(Warning(file, "joint \"" + name + "\" frame " + key + ": the scale is not a finite number; left out"));
            continue;
        }
        scaled.frames[static_cast<int>(frame)] = value.get<float>();
    }
    scale->joints.push_back(std::move(scaled));
}

}  // namespace

Md5Scale ReadMd5Scale(const std::string& text, const std::string& file, const brmath::ModelRecords& model,
                      int frameCount, Diagnostics* warnings) {
    Md5Scale scale;
    if (Depth(text) > kScaleDepthLimit) {
        warnings->push_back(Warning(file, "Couldn't load " + file + ": Invalid JSON data (nested deeper than " +
                                              std::to_string(kScaleDepthLimit) + ")"));
        return scale;
    }
    const nlohmann::json json = nlohmann::json::parse(text, nullptr, false);
    if (json.is_discarded() || !json.is_object()) {
        warnings->push_back(Warning(file, "Couldn't load " + file + ": Invalid JSON data"));
        return scale;
    }
    for (const auto& [name, entry] : json.items()) {
        const int joint = JointIndex(model, name);
        if (joint < 0) {
            warnings->push_back(Warning(file, "No such joint \"" + name + "\" in " + file));
        } else if (!entry.is_object()) {
            warnings->push_back(Warning(file, "joint \"" + name + "\" is not an object of frames; left out"));
        } else {
            ReadJoint(name, entry, file, joint, frameCount, &scale, warnings);
        }
    }
    return scale;
}

bool ScalesAtFrame(const Md5Scale& scale, int jointCount, int frame, std::vector<brmath::JointScale>* scales) {
    scales->assign(static_cast<size_t>(std::max(jointCount, 0)), brmath::JointScale{1.0f, false});
    bool any = false;
    for (const ScaledJoint& joint : scale.joints) {
        if (joint.joint >= jointCount) continue;
        const auto found = joint.frames.find(frame);
        brmath::JointScale& at = (*scales)[static_cast<size_t>(joint.joint)];
        at.scalePositions = joint.scalePositions;
        at.scale = found == joint.frames.end() ? 1.0f : found->second;
        any = any || at.scale != 1.0f;
    }
    return any;
}

std::string WriteMd5Scale(const Md5Scale& scale, const std::vector<std::string>& jointNames) {
    std::string text = "{\n";
    for (size_t j = 0; j < scale.joints.size(); ++j) {
        const ScaledJoint& joint = scale.joints[j];
        text += "\t" + nlohmann::json(jointNames[static_cast<size_t>(joint.joint)]).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + ": {\n\t\t\"scale_positions\": ";
        text += joint.scalePositions ? "true" : "false";
        for (const auto& [frame, value] : joint.frames) text += ",\n\t\t\"" + std::to_string(frame) + "\": " + ShortestFloatText(value);
        text += j + 1 < scale.joints.size() ? "\n\t},\n" : "\n\t}\n";
    }
    return text + "}\n";
}

}  // namespace convert
