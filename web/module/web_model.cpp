#include "web_model.h"

#include "engine_target.h"

#include <filesystem>
#include <nlohmann/json.hpp>

#include "anim/pose_path.h"
#include "gltf_export.h"
#include "gltf_primitive.h"
#include "gltf_space.h"
#include "md5_files.h"
#include "model_summary.h"
#include "software_device.h"
#include "utf8_text.h"
#include "web_base.h"
#include "wording.h"

namespace brmath_web {

namespace {

using Json = nlohmann::json;
namespace fs = std::filesystem;

// What a request itself got wrong, said about the call that made it.
convert::Diagnostics RequestFault(const char* call, const std::string& text) {
    return {convert::Error(call, text)};
}

}  // namespace

std::string DiagnosticsJson(const convert::Diagnostics& diagnostics) {
    Json records = Json::array();
    for (const convert::Diagnostic& diagnostic : diagnostics) {
        records.push_back({{"file", diagnostic.file},
                           {"line", diagnostic.line},
                           {"severity", diagnostic.severity == convert::Severity::kError ? "error" : "warning"},
                           {"text", diagnostic.text},
                           {"message", convert::MessageLine(diagnostic)}});
    }
    return records.dump(-1, ' ', false, Json::error_handler_t::replace);
}

WebModel::WebModel(convert::MemoryFiles& files, const std::string& mesh)
    : files_(std::make_shared<convert::MemoryFiles>(std::move(files))) {
    model_ = convert::LoadModel(*files_, mesh);
}

WebModel::WebModel(const WebBase& base, const std::string& name) : files_(base.Base()) {
    const convert::GameModel game = convert::ChooseModel(*base.Base(), base.Decls(), name);
    if (!game.found) {
        model_.mesh = name;
        model_.failure = game.failure;
        if (model_.failure.file.empty()) model_.failure.file = name;
        return;
    }
    model_ = convert::LoadGameModel(*base.Base(), game);
    if (!model_.loaded) return;
    convert::ModelMaps maps = convert::ReadGameModelMaps(*base.Base(), base.Decls(), game, *model_.actor);
    model_.warnings.insert(model_.warnings.end(), maps.warnings.begin(), maps.warnings.end());
    maps_ = std::move(maps.meshes);
}

const convert::RgbaImage* WebModel::Map(int mesh, int which) const {
    if (mesh < 0 || static_cast<size_t>(mesh) >= maps_.size() || which < 0 || which > 3) return nullptr;
    const convert::SurfaceMaps& maps = maps_[static_cast<size_t>(mesh)];
    if (which == 3) return maps.emissiveFound ? &maps.emissive : nullptr;
    return which == 0 ? &maps.diffuse : which == 1 ? &maps.normal : &maps.specular;
}

const std::vector<float>& WebModel::Tangents() {
    tangents_.clear();
    const brmath::Actor& actor = *model_.actor;
    for (int m = 0; m < actor.meshCount && Ok(); ++m) {
        const brmath::Mesh& mesh = actor.meshes[m];
        for (int t = 0; t < mesh.triangleCount; ++t) {
            for (const int32_t index : mesh.triangles[t].indices) {
                const brmath::MeshVertex& v = mesh.vertices[index];
                const brmath::Vector3 &n = v.normal, &b = v.bitangent;
                const float s[3] = {-v.tangent.x, -v.tangent.y, -v.tangent.z};
                const float side = (n.y * s[2] - n.z * s[1]) * b.x + (n.z * s[0] - n.x * s[2]) * b.y + (n.x * s[1] - n.y * s[0]) * b.z;
                tangents_.insert(tangents_.end(), {s[0], s[2], s[1], side < 0 ? -1.0f : 1.0f});  // y and z exchanged
            }
        }
    }
    return tangents_;
}

std::string WebModel::MessagesJson() const {
    convert::Diagnostics said = model_.warnings;
    if (!model_.loaded) said.push_back(model_.failure);
    return DiagnosticsJson(said);
}

std::string WebModel::TargetMessagesJson(const std::string& target) const {
    const convert::EngineTarget* engine = convert::FindEngineTarget(target);
    if (engine == nullptr) return DiagnosticsJson({convert::Error("", "no target named " + target)});
    return DiagnosticsJson(convert::CheckModelForTarget(*engine, model_, *files_));
}

std::string WebModel::DescriptionJson() {
    bool replaced = false;
    const convert::ModelSummary summary = convert::Summarize(model_, *files_);
    Json clips = Json::array();
    for (const convert::ClipSummary& clip : summary.clips) {
        clips.push_back({{"name", convert::Utf8Text(clip.name, &replaced)}, {"frames", clip.frames},
                         {"frameRate", clip.frameRate}});
    }
    Json joints = Json::array();
    const brmath::Actor& actor = *model_.actor;
    for (int j = 0; j < actor.jointCount; ++j) {
        const brmath::Joint& joint = actor.joints[j];
        joints.push_back({{"name", convert::Utf8Text(joint.name, &replaced)},
                          {"parent", joint.parent != nullptr ? joint.parent->index : -1}});
    }
    Json meshes = Json::array();
    for (const convert::MeshSummary& item : summary.meshes) {
        meshes.push_back({{"name", convert::Utf8Text(fs::path(item.shader).filename().string(), &replaced)},
                          {"shader", convert::Utf8Text(item.shader, &replaced)},
                          {"vertices", item.vertices},
                          {"triangles", item.triangles},
                          {"weights", item.weights},
                          {"image", convert::Utf8Text(item.image, &replaced)}});
        if (meshes.size() <= maps_.size()) {
            const convert::SurfaceMaps& maps = maps_[meshes.size() - 1];
            meshes.back()["material"] = convert::Utf8Text(maps.material, &replaced);
            meshes.back()["maps"] = {{"diffuse", maps.diffuseText}, {"normal", maps.normalText}, {"specular", maps.specularText},
                                     {"emissive", maps.emissiveText}};
        }
    }
    return Json{{"clips", clips}, {"joints", joints}, {"meshes", meshes}}.dump();
}

bool WebModel::Pose(int clip, int frame) {
    if (!Ok() || !model_.actor->SetAnimation(clip)) return false;
    convert::ProceedAnimation(model_, frame);
    return true;
}

bool WebModel::Reload() { return Ok() && model_.actor->LoadMesh(model_.mesh.c_str()); }

void WebModel::UsePlainPath(bool plain) {
    model_.actor->SetPosePath(plain ? brmath::PosePath::kPlain : brmath::DefaultPosePath());
}

const std::vector<float>& WebModel::Stream() {
    convert::SoftwareDevice device;
    stream_.clear();
    if (Ok()) model_.actor->Render(device.Device());
    stream_.reserve(device.triangles.size() * 24);
    for (const convert::StreamTriangle& triangle : device.triangles) {
        for (const convert::StreamVertex& corner : triangle.corners) {
            stream_.insert(stream_.end(), corner.position, corner.position + 8);
        }
    }
    return stream_;
}

const std::vector<float>& WebModel::Joints() {
    joints_.clear();
    const brmath::Actor& actor = *model_.actor;
    for (int j = 0; j < actor.jointCount; ++j) {
        const float* m = actor.joints[j].matrix.m;
        joints_.insert(joints_.end(), {m[12], m[14], m[13]});  // y and z exchanged, as drawing does
    }
    return joints_;
}

const std::vector<float>& WebModel::Frames() {
    const auto yUp = [this](const brmath::Vector3& v) { frames_.insert(frames_.end(), {v.x, v.z, v.y}); };
    frames_.clear();
    const brmath::Actor& actor = *model_.actor;
    for (int m = 0; m < actor.meshCount; ++m) {
        for (int v = 0; v < actor.meshes[m].vertexCount; ++v) {
            const brmath::MeshVertex& vertex = actor.meshes[m].vertices[v];
            yUp(vertex.position);
            yUp(vertex.normal);
            yUp(vertex.tangent);
            yUp(vertex.bitangent);
        }
    }
    return frames_;
}

std::string WebModel::ExportGlb(int clip, bool clipGiven, double scale, int maxWeights, std::string* messages) {
    if (!convert::ScaleInRange(scale)) {
        *messages = DiagnosticsJson(RequestFault("exportGlb", "scale wants a number from 1e-6 to 1e6"));
        return {};
    }
    if (maxWeights < 1 || maxWeights > convert::kMaxWeights) {
        *messages = DiagnosticsJson(RequestFault("exportGlb", "maxWeights wants 1 to 8"));
        return {};
    }
    convert::Diagnostics said = model_.warnings;
    if (!Ok() || (clipGiven && clip < 0)) {
        said.push_back(Ok() ? convert::Error(model_.mesh, convert::NoClipText(clip, model_.actor->animationCount))
                            : model_.failure);
        *messages = DiagnosticsJson(said);
        return {};
    }
    convert::ExportRequest request;
    request.output = fs::path(model_.mesh).stem().string() + ".glb";
    request.clip = clipGiven ? clip : -1;
    request.scale = scale;
    request.maxWeights = maxWeights;
    if (!maps_.empty()) request.maps = &maps_;
    convert::ExportResult result = convert::ExportGltf(model_, *files_, request);
    said.insert(said.end(), result.diagnostics.begin(), result.diagnostics.end());
    *messages = DiagnosticsJson(said);
    if (!result.ok || result.files.size() != 1) return {};
    return std::move(result.files[0].second);
}

ImportedFiles ImportGltf(convert::MemoryFiles& files, const std::string& model, const std::string& name, int skin,
                         int fps, double scale) {
    ImportedFiles imported;
    if (skin < -1 || fps < 0 || fps > 1000 || !convert::ScaleInRange(scale)) {
        imported.messages = DiagnosticsJson(
            RequestFault("importGltf", "skin wants -1 or a skin's number, fps 0 to 1000, scale 1e-6 to 1e6"));
        return imported;
    }
    convert::ImportResult result = convert::ImportMd5Files(files, {model, name, skin, fps, scale});
    imported.messages = DiagnosticsJson(result.diagnostics);
    imported.ok = result.ok;
    for (auto& [file, bytes] : result.files) {
        imported.names.push_back(file);
        imported.bytes.push_back(std::move(bytes));
    }
    return imported;
}

}  // namespace brmath_web
