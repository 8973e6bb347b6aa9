#include "model/model.h"

#include <cstring>

#include "base/allocation.h"

namespace brmath {

void AddChild(Joint* parent, Joint* child) {
    void* grown = ReallocateBytes(parent->children, sizeof(Joint*) * static_cast<size_t>(parent->childCount + 1));
    if (grown == nullptr) return;
    parent->children = static_cast<Joint**>(grown);
    parent->children[parent->childCount] = child;
    ++parent->childCount;
}

Joint* FindJoint(const ModelRecords& model, const char* name) {
    for (int32_t i = 0; i < model.jointCount; ++i) {
        if (std::strcmp(model.joints[i].name, name) == 0) return &model.joints[i];
    }
    return nullptr;
}

void ReleaseAnimation(Animation& clip) {
    if (clip.tracks != nullptr) {
        for (int32_t t = 0; t < clip.trackCount; ++t) {
            FreeBytes(clip.tracks[t].keys);
            clip.tracks[t].keys = nullptr;
        }
        FreeBytes(clip.tracks);
    }
    clip.tracks = nullptr;
    clip.trackCount = 0;
    clip.frameCount = 0;
}

void ReleaseModel(ModelRecords& model) {
    if (model.joints != nullptr) {
        for (int32_t i = 0; i < model.jointCount; ++i) FreeBytes(model.joints[i].children);
        FreeBytes(model.joints);
    }
    if (model.meshes != nullptr) {
        for (int32_t i = 0; i < model.meshCount; ++i) {
            FreeBytes(model.meshes[i].vertices);
            FreeBytes(model.meshes[i].triangles);
            FreeBytes(model.meshes[i].weights);
        }
        FreeBytes(model.meshes);
    }
    if (model.animations != nullptr) {
        for (int32_t i = 0; i < model.animationCount; ++i) ReleaseAnimation(model.animations[i]);
        FreeBytes(model.animations);
    }
    model = ModelRecords{};
}

void MoveModel(ModelRecords& target, ModelRecords& source) {
    target = source;
    source = ModelRecords{};
}

}  // namespace brmath
