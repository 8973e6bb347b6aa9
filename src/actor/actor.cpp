#include "actor/actor.h"

#include "actor/allocation.h"
#include "anim/frame_triangles.h"

namespace brmath {

Actor::Actor()
    : animated(true),
      meshes(nullptr),
      meshCount(0),
      joints(nullptr),
      jointCount(0),
      animations(nullptr),
      animationCount(0),
      currentAnimation(0),
      loaded(false) {}

Actor::Actor(const char* path) : Actor() { LoadMesh(path); }

Actor::~Actor() { Release(); }

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

void Actor::Release() {
    workspace.Release();
    if (joints != nullptr) {
        for (int32_t i = 0; i < jointCount; ++i) {
            FreeBytes(joints[i].children);
            joints[i].children = nullptr;
            joints[i].childCount = 0;
        }
        FreeBytes(joints);
        joints = nullptr;
        jointCount = 0;
    }
    if (meshes != nullptr) {
        for (int32_t i = 0; i < meshCount; ++i) {
            Mesh& mesh = meshes[i];
            FreeBytes(mesh.vertices);
            mesh.vertices = nullptr;
            mesh.vertexCount = 0;
            FreeBytes(mesh.triangles);
            mesh.triangles = nullptr;
            mesh.triangleCount = 0;
            FreeBytes(mesh.weights);
            mesh.weights = nullptr;
            mesh.weightCount = 0;
            ReleaseFrameLists(mesh);
        }
        FreeBytes(meshes);
        meshes = nullptr;
        meshCount = 0;
    }
    if (animations != nullptr) {
        for (int32_t i = 0; i < animationCount; ++i) ReleaseAnimation(animations[i]);
        FreeBytes(animations);
        animations = nullptr;
        animationCount = 0;
    }
    loaded = false;
}

Animation* Actor::GetAnimation(int index) {
    if (index < 0 || index >= animationCount) return nullptr;
    return &animations[index];
}

int32_t Actor::GetTriangleCount() const {
    uint32_t total = 0;  // wraps like the 32-bit sum it reports, without overflow
    for (int32_t i = 0; i < meshCount; ++i) total += static_cast<uint32_t>(meshes[i].triangleCount);
    return static_cast<int32_t>(total);
}

void Actor::AddChild(Joint* parent, Joint* child) {
    // When memory runs out the list stays as it was; the mesh reader sees that the
    // count did not grow and rejects the file.
    void* grown = ReallocateBytes(parent->children, sizeof(Joint*) * static_cast<size_t>(parent->childCount + 1));
    if (grown == nullptr) return;
    parent->children = static_cast<Joint**>(grown);
    parent->children[parent->childCount] = child;
    ++parent->childCount;
}

void Actor::TakeModel(Actor& source) {
    Release();
    meshes = source.meshes;
    meshCount = source.meshCount;
    joints = source.joints;
    jointCount = source.jointCount;
    animations = source.animations;
    animationCount = source.animationCount;
    source.meshes = nullptr;
    source.meshCount = 0;
    source.joints = nullptr;
    source.jointCount = 0;
    source.animations = nullptr;
    source.animationCount = 0;
}

}  // namespace brmath
