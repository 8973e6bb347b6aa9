// Choosing a clip, posing the skeleton at a frame of it, and posing every mesh.
#include <new>

#include "actor/actor.h"
#include "anim/pose_evaluation.h"
#include "anim/pose_mesh.h"
#include "base/allocation.h"

namespace brmath {

bool Actor::SetAnimation(int32_t index) {
    if (index < 0 || index >= animationCount) return false;
    if (index != currentAnimation) ForgetPosedKey();
    currentAnimation = index;
    return true;
}

void Actor::ProceedAnimation(int32_t frame) {
    if (animations == nullptr || !animated) return;
    // A stale clip index never reads outside the clips: nothing is posed.
    if (currentAnimation < 0 || currentAnimation >= animationCount) return;
    const Animation& clip = animations[currentAnimation];
    const int32_t key = ClipKey(clip, frame);
    // A host's clock asks for the key already shown on most displayed frames.
    if (posedClip_ == currentAnimation && posedKey_ == key) return;
    PoseClipFrame(clip, frame);
    PoseMeshes(joints);
    const bool repeatable = ClipPosesFromKeysAlone(clip);
    posedClip_ = repeatable ? currentAnimation : -1;
    posedKey_ = key;
}

bool Actor::ProceedAnimation(int32_t frame, const JointScale* scales) {
    if (scales == nullptr) {
        ProceedAnimation(frame);
        return true;
    }
    if (animations == nullptr || !animated || currentAnimation < 0 || currentAnimation >= animationCount) return true;
    Joint* scaled = AllocateArray<Joint>(jointCount);
    if (scaled == nullptr && jointCount > 0) return false;
    ForgetPosedKey();
    PoseClipFrame(animations[currentAnimation], frame, scales);
    ScaleJointAxes(joints, jointCount, scales, scaled);
    PoseMeshes(scaled);
    FreeBytes(scaled);
    return true;
}

void Actor::EvaluatePose(int32_t frame, const JointScale* scales) {
    ForgetPosedKey();
    if (currentAnimation < 0 || currentAnimation >= animationCount) return;
    PoseClipFrame(animations[currentAnimation], frame, scales);
}

void Actor::SkinVertices() {
    ForgetPosedKey();
    PoseMeshes(joints);
}

void Actor::ComputeNormalsAndTangents() {
    ForgetPosedKey();
    PoseMeshes(nullptr);
}

// Meshes share nothing, so each is posed whole before the next; without joints to skin
// from, only normals and tangent frames are computed.
void Actor::PoseMeshes(const Joint* skinFrom) {
    PrepareMeshes();
    for (int32_t m = 0; m < meshCount; ++m) {
        const PreparedMesh* prepared = m < preparedCount_ ? &prepared_[m] : nullptr;
        PoseMesh({&meshes[m], skinFrom, prepared}, posePath_, workspace_);
    }
}

// Each mesh's lists, made once for its arrays. Memory refused here only costs speed:
// a mesh without its lists is posed along the plain path.
void Actor::PrepareMeshes() {
    if (posePath_ == PosePath::kPlain) return;
    if (preparedCount_ != meshCount) {
        ReleasePrepared();
        prepared_ = AllocateArray<PreparedMesh>(meshCount);
        if (prepared_ == nullptr) return;
        for (int32_t m = 0; m < meshCount; ++m) new (&prepared_[m]) PreparedMesh();
        preparedCount_ = meshCount;
    }
    for (int32_t m = 0; m < meshCount; ++m) {
        if (!PreparedFor(prepared_[m], meshes[m])) PrepareMesh(meshes[m], prepared_[m]);
    }
}

void Actor::ReleasePrepared() {
    for (int32_t m = 0; m < preparedCount_; ++m) ReleasePreparedMesh(prepared_[m]);
    FreeBytes(prepared_);
    prepared_ = nullptr;
    preparedCount_ = 0;
}

}  // namespace brmath
