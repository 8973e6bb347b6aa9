#pragma once

// The web module's models: files the page or a script handed over, held in memory as
// a file set, read and posed by the library itself, and converted by the same core as
// md5tool.
#include <memory>
#include <string>
#include <vector>

#include "file_set.h"
#include "loaded_model.h"
#include "surface_maps.h"

namespace brmath_web {

// Diagnostics as JSON: [{file, line, severity, text, message}], the message being the
// line md5tool prints for it.
std::string DiagnosticsJson(const convert::Diagnostics& diagnostics);

class WebBase;

class WebModel {
public:
    // Reads `mesh` (a name in `files`) and the clips beside it, as MD5_LoadActor does;
    // the files move into the model, which keeps them (`files` is left empty).
    WebModel(convert::MemoryFiles& files, const std::string& mesh);
    // Reads a model of a game base as md5tool does with --base, with its maps; the
    // model keeps the base's files.
    WebModel(const WebBase& base, const std::string& name);

    bool Ok() const { return model_.loaded; }
    // What the load said: the warnings, then why it failed when it did.
    std::string MessagesJson() const;
    // The clips, joints and meshes as JSON: {"clips": [{name, frames, frameRate}], ...};
    // a base's model also gives each mesh its material and maps.
    std::string DescriptionJson();
    // What the engine `target` names (engine_target.h) says of the model's files, as JSON records.
    std::string TargetMessagesJson(const std::string& target) const;
    // A base's model: mesh m's diffuse (0), normal (1), specular (2) or emissive (3,
    // null when nothing shines) image.
    const convert::RgbaImage* Map(int mesh, int which) const;

    // MD5_SetAnimation(clip), then MD5_ProceedAnimation(frame); false for a clip the
    // model lacks. `plain` takes the library's plain path instead of its fastest.
    bool Pose(int clip, int frame);
    void UsePlainPath(bool plain);
    // MD5_LoadActor of the same files again, nothing else: for benchmarks.
    bool Reload();
    // What the last pose left, each in the device's y-up space: MD5_RenderActor's
    // stream (8 floats a corner, every mesh in order); each joint's position; each
    // vertex record's position, normal, tangent and bitangent (12 floats).
    const std::vector<float>& Stream();
    const std::vector<float>& Joints();
    const std::vector<float>& Frames();
    // Each corner of the stream's tangent for normal maps (4 floats): the way texture s
    // rises, in the device's space, and in w the side on which the way t rises lies.
    const std::vector<float>& Tangents();

    // The bytes md5tool export writes for MESH.glb, and the messages as JSON (the
    // load's warnings first, as md5tool prints them); empty bytes when it failed.
    std::string ExportGlb(int clip, bool clipGiven, double scale, int maxWeights, std::string* messages);

private:
    std::shared_ptr<convert::FileSet> files_;  // held files, or a game base
    convert::LoadedModel model_;
    std::vector<convert::SurfaceMaps> maps_;    // a base's model: one a mesh
    std::vector<float> stream_, joints_, frames_, tangents_;
};

// md5tool import of `model` (a name in `files`) with its options: the files' names and
// bytes, and the messages as JSON; false when it failed.
struct ImportedFiles {
    bool ok = false;
    std::vector<std::string> names, bytes;
    std::string messages;
};
ImportedFiles ImportGltf(convert::MemoryFiles& files, const std::string& model, const std::string& name, int skin,
                         int fps, double scale);

}  // namespace brmath_web
