#pragma once

// The web module's models: files the page or a script handed over, held in the
// module's in-memory file system, read and posed by the library itself, and converted
// by the same functions as md5tool.
#include <string>
#include <vector>

#include "actor/actor.h"

namespace brmath_web {

class WebModel {
public:
    // Reads `mesh` (a name inside `folder`) and the clips beside it, as MD5_LoadActor
    // does, and checks the folder's MD5 files as md5tool check does.
    WebModel(const std::string& folder, const std::string& mesh);

    bool Ok() const { return ok_; }
    std::string Error() const { return error_; }
    const std::vector<std::string>& Messages() const { return messages_; }
    // The clips, joints and meshes as JSON: {"clips": [{name, frames, frameRate}], ...}.
    std::string DescriptionJson() const;

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

    // The bytes md5tool export writes for `output` (OUT.glb), and its messages; empty
    // bytes when the export failed.
    std::string ExportGlb(int clip, bool clipGiven, double scale, int maxWeights, std::vector<std::string>* messages);

private:
    std::string folder_, mesh_;
    bool ok_ = false;
    std::string error_;
    std::vector<std::string> messages_;
    std::vector<std::string> clipNames_;
    brmath::Actor actor_;
    std::vector<float> stream_, joints_, frames_;
};

// md5tool import of `model` (a name inside `folder`) with its options: the files' names
// and bytes, and the messages; false when it failed.
struct ImportedFiles {
    bool ok = false;
    std::vector<std::string> names, bytes, messages;
};
ImportedFiles ImportGltf(const std::string& folder, const std::string& model, const std::string& name, int skin,
                         int fps, double scale);

}  // namespace brmath_web
