#include "web_model.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>

#include "anim/pose_path.h"
#include "commands.h"
#include "gltf_export.h"
#include "md5_files.h"
#include "model_loading.h"
#include "software_device.h"
#include "texture_image.h"
#include "utf8_text.h"

namespace brmath_web {

namespace {

namespace fs = std::filesystem;

// Runs the commands' code inside `folder`, so that every path it reads and names is
// the file's name as the user gave it.
class InFolder {
public:
    explicit InFolder(const std::string& folder) {
        char here[4096];
        if (getcwd(here, sizeof(here)) != nullptr) previous_ = here;
        ok_ = chdir(folder.c_str()) == 0;
    }
    ~InFolder() {
        if (!previous_.empty()) (void)chdir(previous_.c_str());
    }
    bool Ok() const { return ok_; }

private:
    std::string previous_;
    bool ok_ = false;
};

bool HasExtension(const std::string& name, const char* extension) {
    std::string lower = fs::path(name).extension().string();
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower == extension;
}

// The lines md5tool check prints that say something is wrong.
std::vector<std::string> CheckMessages(const std::string& mesh) {
    md5tool::CheckOptions options;
    options.files.push_back(mesh);
    std::vector<std::string> clips;
    std::error_code code;
    for (const auto& entry : fs::directory_iterator(".", code)) {
        const std::string name = entry.path().filename().string();
        if (HasExtension(name, ".md5anim")) clips.push_back(name);
    }
    std::sort(clips.begin(), clips.end());
    options.files.insert(options.files.end(), clips.begin(), clips.end());
    options.mesh = mesh;
    std::ostringstream out, err;
    md5tool::Check(options, out, err);
    std::vector<std::string> messages;
    std::istringstream lines(out.str() + err.str());
    for (std::string line; std::getline(lines, line);) {
        if (line.find(": warning: ") != std::string::npos || line.find(": error: ") != std::string::npos ||
            line.rfind("md5tool: ", 0) == 0) {
            messages.push_back(line);
        }
    }
    return messages;
}

}  // namespace

WebModel::WebModel(const std::string& folder, const std::string& mesh) : folder_(folder), mesh_(mesh) {
    const InFolder in(folder_);
    if (!in.Ok()) {
        error_ = "no folder " + folder_;
        return;
    }
    messages_ = CheckMessages(mesh_);
    const md5tool::LoadOutcome outcome = md5tool::LoadMeshReporting(actor_, mesh_);
    ok_ = outcome.loaded;
    if (!ok_) {
        error_ = outcome.where + ": error: " + outcome.reason;
        return;
    }
    clipNames_ = md5tool::ClipNames(mesh_, outcome, actor_);
}

std::string WebModel::DescriptionJson() const {
    using Json = nlohmann::json;
    bool replaced = false;
    Json clips = Json::array();
    for (int c = 0; c < actor_.animationCount; ++c) {
        clips.push_back({{"name", md5tool::Utf8Text(clipNames_[static_cast<size_t>(c)], &replaced)},
                         {"frames", actor_.animations[c].frameCount},
                         {"frameRate", actor_.animations[c].frameRate}});
    }
    Json joints = Json::array();
    for (int j = 0; j < actor_.jointCount; ++j) {
        const brmath::Joint& joint = actor_.joints[j];
        joints.push_back({{"name", md5tool::Utf8Text(joint.name, &replaced)},
                          {"parent", joint.parent != nullptr ? joint.parent->index : -1}});
    }
    Json meshes = Json::array();
    const InFolder in(folder_);
    for (int m = 0; m < actor_.meshCount; ++m) {
        const brmath::Mesh& item = actor_.meshes[m];
        const std::string image = md5tool::FindShaderImage(mesh_, item.shader);
        meshes.push_back({{"name", md5tool::Utf8Text(fs::path(item.shader).filename().string(), &replaced)},
                          {"shader", md5tool::Utf8Text(item.shader, &replaced)},
                          {"vertices", item.vertexCount},
                          {"triangles", item.triangleCount},
                          {"weights", item.weightCount},
                          {"image", md5tool::Utf8Text(image, &replaced)}});
    }
    return Json{{"clips", clips}, {"joints", joints}, {"meshes", meshes}}.dump();
}

bool WebModel::Pose(int clip, int frame) {
    if (!ok_ || !actor_.SetAnimation(clip)) return false;
    actor_.ProceedAnimation(frame);
    return true;
}

bool WebModel::Reload() {
    const InFolder in(folder_);
    return in.Ok() && actor_.LoadMesh(mesh_.c_str());
}

void WebModel::UsePlainPath(bool plain) {
    actor_.SetPosePath(plain ? brmath::PosePath::kPlain : brmath::DefaultPosePath());
}

const std::vector<float>& WebModel::Stream() {
    md5tool::SoftwareDevice device;
    stream_.clear();
    if (ok_) actor_.Render(device.Device());
    stream_.reserve(device.triangles.size() * 24);
    for (const md5tool::StreamTriangle& triangle : device.triangles) {
        for (const md5tool::StreamVertex& corner : triangle.corners) {
            stream_.insert(stream_.end(), corner.position, corner.position + 8);
        }
    }
    return stream_;
}

const std::vector<float>& WebModel::Joints() {
    joints_.clear();
    for (int j = 0; j < actor_.jointCount; ++j) {
        const float* m = actor_.joints[j].matrix.m;
        joints_.insert(joints_.end(), {m[12], m[14], m[13]});  // y and z exchanged, as drawing does
    }
    return joints_;
}

const std::vector<float>& WebModel::Frames() {
    const auto yUp = [this](const brmath::Vector3& v) { frames_.insert(frames_.end(), {v.x, v.z, v.y}); };
    frames_.clear();
    for (int m = 0; m < actor_.meshCount; ++m) {
        for (int v = 0; v < actor_.meshes[m].vertexCount; ++v) {
            const brmath::MeshVertex& vertex = actor_.meshes[m].vertices[v];
            yUp(vertex.position);
            yUp(vertex.normal);
            yUp(vertex.tangent);
            yUp(vertex.bitangent);
        }
    }
    return frames_;
}

std::string WebModel::ExportGlb(int clip, bool clipGiven, double scale, int maxWeights,
                                std::vector<std::string>* messages) {
    const InFolder in(folder_);
    md5tool::ExportOptions options;
    options.mesh = mesh_;
    options.output = fs::path(mesh_).stem().string() + ".glb";
    options.clip = clip;
    options.clipGiven = clipGiven;
    options.scale = scale;
    options.maxWeights = maxWeights;
    md5tool::ExportResult result = md5tool::ExportGltf(options);
    *messages = result.messages;
    if (result.status != md5tool::kSuccess || result.files.size() != 1) return {};
    return std::move(result.files[0].second);
}

ImportedFiles ImportGltf(const std::string& folder, const std::string& model, const std::string& name, int skin,
                         int fps, double scale) {
    ImportedFiles imported;
    const InFolder in(folder);
    md5tool::ImportOptions options;
    options.model = model;
    options.name = name;
    options.skin = skin;
    options.fps = fps;
    options.scale = scale;
    md5tool::ImportResult result = md5tool::ImportMd5Files(options);
    imported.messages = result.messages;
    imported.ok = result.status == md5tool::kSuccess;
    for (auto& [file, bytes] : result.files) {
        imported.names.push_back(file);
        imported.bytes.push_back(std::move(bytes));
    }
    return imported;
}

}  // namespace brmath_web
