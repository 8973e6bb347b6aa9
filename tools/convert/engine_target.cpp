#include "engine_target.h"

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <set>

#include "clip_joints.h"
#include "decl_lexer.h"
#include "float_text.h"
#include "md5_lines.h"

namespace convert {

namespace {

std::vector<EngineTarget> MakeTargets() {
    EngineTarget library{"library"};
    library.checked = false;
    EngineTarget doom3{"doom3"};
    doom3.weightlessRefused = true;
    doom3.oneRoot = true;
    EngineTarget bfg = doom3;
    bfg.name = "bfg";
    bfg.joints = 256;
    bfg.weightsKept = 4;
    bfg.vertices = 65536;
    EngineTarget quake{"quake"};
    quake.weightsKept = 4;
    quake.vertices = 65536;
    quake.renamedWords = true;
    EngineTarget quake2{"quake2"};
    quake2.joints = 256;
    quake2.vertices = 6144;
    quake2.weights = 8192;
    quake2.meshes = 32;
    quake2.frames = 1024;
    quake2.jointName = 47;
    quake2.badParentWords = "Bad parent joint";
    quake2.jointCountWords = "Bad numJoints";
    return {library, doom3, bfg, quake, quake2};
}

struct Said {
    const EngineTarget& target;
    const std::string& file;
    Diagnostics records;
    void Error(int line, const std::string& text) {
        records.push_back(convert::Error(file, std::string(target.name) + ": " + text, line));
    }
    void Warning(int line, const std::string& text) {
        records.push_back(convert::Warning(file, std::string(target.name) + ": " + text, line));
    }
};

std::string Over(const std::string& what, long long count, int limit) {
    return what + " " + std::to_string(count) + ", over the " + std::to_string(limit) + " it takes";
}

void CheckJoints(Said& said, const brmath::ModelRecords& mesh, const Md5Lines& lines) {
    const EngineTarget& target = said.target;
    if (target.joints > 0 && mesh.jointCount > target.joints) said.Error(lines.numJoints, Over("joints", mesh.jointCount, target.joints));
    for (int j = 0; j < mesh.jointCount; ++j) {
        // A parent after its child the library's reader refuses already.
        const brmath::Joint& joint = mesh.joints[j];
        const size_t length = std::string(joint.name).size();
        if (target.jointName > 0 && length > static_cast<size_t>(target.jointName)) {
            said.Error(lines.Joint(j), "joint name \"" + std::string(joint.name) + "\" has " + std::to_string(length) +
                                           " bytes, over the " + std::to_string(target.jointName) + " it takes");
        }
    }
}

// The share of a vertex's weight the engine drops when it keeps its strongest few.
float ShareLost(const brmath::Mesh& mesh, const brmath::MeshVertex& vertex, int kept) {
    std::vector<float> biases;
    for (int w = 0; w < vertex.weightCount; ++w) biases.push_back(mesh.weights[vertex.weightStart + w].bias);
    std::sort(biases.begin(), biases.end(), std::greater<float>());
    double all = 0, lost = 0;
    for (size_t w = 0; w < biases.size(); ++w) {
        all += biases[w];
        if (w >= static_cast<size_t>(kept)) lost += biases[w];
    }
    return all > 0 ? static_cast<float>(lost / all) : 0.0f;
}

void CheckMesh(Said& said, const brmath::Mesh& mesh, int m, const Md5Lines& lines) {
    const EngineTarget& target = said.target;
    const std::string name = "mesh " + std::to_string(m);
    if (target.vertices > 0 && mesh.vertexCount > target.vertices) {
        said.Error(lines.Mesh(m), name + ": " + Over("vertices", mesh.vertexCount, target.vertices));
    }
    if (target.weights > 0 && mesh.weightCount > target.weights) {
        said.Error(lines.NumWeights(m), name + ": " + Over("weights", mesh.weightCount, target.weights));
    }
    int losing = 0, weightless = 0;
    float largest = 0;
    for (int v = 0; v < mesh.vertexCount; ++v) {
        const brmath::MeshVertex& vertex = mesh.vertices[v];
        if (vertex.weightCount <= 0) {
            if (target.weightlessRefused) said.Error(lines.Vertex(m, v), "Vertex without any joint weights.");
            else if (weightless++ == 0) said.Warning(lines.Vertex(m, v), name + ": vertex " + std::to_string(v) + " has no weights: the engine places it at the origin");
        }
        if (target.weightsKept > 0 && vertex.weightCount > target.weightsKept) {
            ++losing;
            largest = std::max(largest, ShareLost(mesh, vertex, target.weightsKept));
        }
    }
    if (losing > 0) {
        said.Warning(lines.Mesh(m), name + ": the engine keeps the " + std::to_string(target.weightsKept) +
                                        " strongest weights a vertex: " + std::to_string(losing) + (losing == 1 ? " vertex loses" : " vertices lose") +
                                        " weight, at most " + ShortestFloatText(largest * 100) + "% of it");
    }
}

long HeaderNumber(const std::string& text, const std::string& key) {
    const size_t at = text.find(key);
    return at == std::string::npos ? 0 : std::strtol(text.c_str() + at + key.size(), nullptr, 10);
}

}  // namespace

const std::vector<EngineTarget>& EngineTargets() {
    static const std::vector<EngineTarget> targets = MakeTargets();
    return targets;
}

const EngineTarget* FindEngineTarget(const std::string& name) {
    for (const EngineTarget& target : EngineTargets()) {
        if (name == target.name) return &target;
    }
    return nullptr;
}

Diagnostics CheckMeshForTarget(const EngineTarget& target, const brmath::ModelRecords& mesh, const std::string& file,
                               const std::string& text) {
    Said said{target, file, {}};
    if (!target.checked) return said.records;
    const Md5Lines lines = FindMd5Lines(text);
    CheckJoints(said, mesh, lines);
    if (target.meshes > 0 && mesh.meshCount > target.meshes) said.Error(0, Over("meshes", mesh.meshCount, target.meshes));
    for (int m = 0; m < mesh.meshCount; ++m) CheckMesh(said, mesh.meshes[m], m, lines);
    return said.records;
}

Diagnostics CheckModelForTarget(const EngineTarget& target, const LoadedModel& model, FileSet& files) {
    const std::string* text = files.Bytes(model.mesh);
    if (!model.loaded || text == nullptr) return {};
    Diagnostics said = CheckMeshForTarget(target, *model.actor, model.mesh, *text);
    const size_t slash = model.mesh.find_last_of("/\\");
    const std::string folder = slash == std::string::npos ? "" : model.mesh.substr(0, slash + 1);
    std::set<std::string> done;
    for (const std::string& clip : model.clipFiles) {
        // A clip beside the mesh is named without its folder.
        const std::string path = files.Has(clip) ? clip : folder + clip;
        const std::string* clipText = done.insert(path).second ? files.Bytes(path) : nullptr;
        if (clipText == nullptr) continue;
        const Diagnostics clipSaid = CheckClipForTarget(target, *clipText, path, model.actor.get(), model.mesh);
        said.insert(said.end(), clipSaid.begin(), clipSaid.end());
    }
    return said;
}

Diagnostics CheckClipForTarget(const EngineTarget& target, const std::string& text, const std::string& file,
                               const brmath::ModelRecords* mesh, const std::string& meshName) {
    Said said{target, file, {}};
    if (!target.checked) return said.records;
    const Md5Lines lines = FindMd5Lines(text);
    const long frames = HeaderNumber(text, "numFrames"), rate = HeaderNumber(text, "frameRate");
    const long components = HeaderNumber(text, "numAnimatedComponents");
    std::vector<HierarchyEntry> joints;
    ReadHierarchy(text, file, &joints);
    if (frames <= 0) said.Error(lines.numFrames, "Invalid number of frames: " + std::to_string(frames));
    if (target.frames > 0 && frames > target.frames) said.Error(lines.numFrames, Over("frames", frames, target.frames));
    if (rate <= 0) said.Error(lines.frameRate, "Invalid frame rate: " + std::to_string(rate));
    if (components < 0 || components > 6 * static_cast<long>(joints.size())) {
        said.Error(lines.numAnimatedComponents, "Invalid number of animated components: " + std::to_string(components));
    }
    int roots = 0;
    for (size_t j = 0; j < joints.size(); ++j) {
        const HierarchyEntry& joint = joints[j];
        roots += joint.parent < 0 ? 1 : 0;
        if (joint.parent >= static_cast<long>(j)) {
            said.Error(lines.Joint(static_cast<int>(j)), target.badParentWords != nullptr
                                                             ? target.badParentWords
                                                             : "Invalid parent num: " + std::to_string(joint.parent));
        }
        if (joint.flags < 0 || joint.flags > 63) said.Error(lines.Joint(static_cast<int>(j)), "Invalid anim bits: " + std::to_string(joint.flags));
    }
    if (target.oneRoot && roots > 1) said.Error(0, "Animations may have only one root joint");
    std::string why;
    if (mesh != nullptr && !ClipJointsMatch(text, *mesh, meshName, file, &why)) {
        const bool count = mesh->jointCount != static_cast<int>(joints.size());
        std::string renamed;
        for (size_t j = 0; j < joints.size() && j < static_cast<size_t>(mesh->jointCount) && renamed.empty(); ++j) {
            if (joints[j].name != mesh->joints[j].name) renamed = mesh->joints[j].name;
        }
        if (count && target.jointCountWords != nullptr) why = target.jointCountWords + (": " + why);
        if (target.renamedWords && !renamed.empty()) why = "bone " + renamed + " was renamed: " + why;
        said.Error(lines.numJoints, why);
    }
    return said.records;
}

}  // namespace convert
