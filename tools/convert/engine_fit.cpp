#include "engine_fit.h"

#include <algorithm>

#include "wording.h"

namespace convert {

namespace {

// Keeps the `kept` strongest weights of a vertex (the first of equals), their biases
// scaled to sum to one; true when any was dropped.
bool KeepStrongest(Md5Vertex& vertex, int kept) {
    if (static_cast<int>(vertex.weights.size()) <= kept) return false;
    std::stable_sort(vertex.weights.begin(), vertex.weights.end(),
                     [](const Md5Weight& a, const Md5Weight& b) { return a.bias > b.bias; });
    vertex.weights.resize(static_cast<size_t>(kept));
    double sum = 0;
    for (const Md5Weight& weight : vertex.weights) sum += weight.bias;
    for (Md5Weight& weight : vertex.weights) weight.bias = sum > 0 ? weight.bias / sum : 1.0 / kept;
    return true;
}

bool Refuse(const EngineTarget& target, const std::string& what, size_t count, int limit, std::string* why) {
    *why = std::string(target.name) + ": " + what + " " + std::to_string(count) + ", over the " + std::to_string(limit) +
           " it takes";
    return false;
}

}  // namespace

bool FitToTarget(const EngineTarget& target, Conversion& conversion, std::string* why) {
    if (!target.checked) return true;
    const Md5Model& model = conversion.model;
    if (target.joints > 0 && model.joints.size() > static_cast<size_t>(target.joints)) {
        return Refuse(target, "joints", model.joints.size(), target.joints, why);
    }
    for (const Md5Joint& joint : model.joints) {
        if (target.jointName > 0 && joint.name.size() > static_cast<size_t>(target.jointName)) {
            *why = std::string(target.name) + ": joint name \"" + joint.name + "\" has " + std::to_string(joint.name.size()) +
                   " bytes, over the " + std::to_string(target.jointName) + " it takes";
            return false;
        }
    }
    if (target.meshes > 0 && model.meshes.size() > static_cast<size_t>(target.meshes)) {
        return Refuse(target, "meshes", model.meshes.size(), target.meshes, why);
    }
    for (const Md5Clip& clip : conversion.clips) {
        if (target.frames > 0 && clip.frames.size() > static_cast<size_t>(target.frames)) {
            return Refuse(target, "frames", clip.frames.size(), target.frames, why);
        }
    }
    long long trimmed = 0;
    for (Md5MeshBlock& block : conversion.model.meshes) {
        if (target.vertices > 0 && block.vertices.size() > static_cast<size_t>(target.vertices)) {
            return Refuse(target, "vertices in a mesh", block.vertices.size(), target.vertices, why);
        }
        size_t weights = 0;
        for (Md5Vertex& vertex : block.vertices) {
            if (target.weightsKept > 0 && KeepStrongest(vertex, target.weightsKept)) ++trimmed;
            weights += vertex.weights.size();
        }
        if (target.weights > 0 && weights > static_cast<size_t>(target.weights)) {
            return Refuse(target, "weights in a mesh", weights, target.weights, why);
        }
    }
    if (trimmed > 0) {
        conversion.warnings.push_back(std::string(target.name) + ": " + Counted(trimmed, "vertex", "vertices") +
                                      " kept their " + std::to_string(target.weightsKept) +
                                      " strongest weights, renormalised, as the engine takes them");
    }
    return true;
}

}  // namespace convert
