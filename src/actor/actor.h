#pragma once

// An actor: one model (its records), the clip it plays, and what posing keeps beside
// the model. Its operations are the library's: loading, choosing a clip, posing,
// drawing; each delegates to the reader, posing or drawing layer below.
#include <cstdint>

#include "anim/pose_path.h"
#include "anim/pose_workspace.h"
#include "anim/prepared_mesh.h"
#include "model/model.h"
#include "platform/device.h"
#include "platform/file_source.h"

namespace brmath {

struct ReadFailure;
struct LoadReport;

class Actor : public ModelRecords {
public:
    Actor();
    explicit Actor(const char* path);
    ~Actor();
    Actor(const Actor&) = delete;
    Actor& operator=(const Actor&) = delete;

    // Frees the model and what posing derived from it.
    void Release();
    Animation* GetAnimation(int index);
    int32_t GetTriangleCount() const;
    bool IsLoaded() const { return loaded; }
    static void AddChild(Joint* parent, Joint* child) { brmath::AddChild(parent, child); }

    // Reads a mesh file and the clips beside it. A file that does not open or is
    // malformed leaves the actor as it was; failure, when given, says why, and report
    // hears of whatever was left out (refused clips, records past their counts). While
    // the actor is being drawn it keeps its model and fails.
    bool LoadMesh(const char* path, ReadFailure* failure = nullptr, const LoadReport* report = nullptr);
    // Appends the clip read from path and leaves the joints it drives in its base
    // frame; a malformed file appends nothing.
    bool LoadAnimation(const char* path, ReadFailure* failure = nullptr, const LoadReport* report = nullptr);
    Joint* FindJoint(const char* name) { return brmath::FindJoint(*this, name); }

    // Where LoadMesh and LoadAnimation read files: the real file system unless a tool
    // hands over another source, which must outlive the loads.
    void SetFileSource(FileSource& source) { files_ = &source; }

    bool SetAnimation(int32_t index);
    // Poses the current clip at `frame`. The key it last posed is not posed again while
    // nothing has changed the actor through its operations since (a load, another clip,
    // another path, a pose by the calls below): the result would be the same bits. A
    // caller that writes the records by hand poses through the calls below instead.
    void ProceedAnimation(int32_t frame);
    // The same with a scale a joint (jointCount of them, by index; null: none), as a
    // game scales or hides parts frame by frame: each weight is placed at its joint's
    // position plus `scale` times its offset turned by the joint, and a joint with
    // scalePositions has its translation from its parent scaled first. The joints keep
    // their matrices without the weights' scale. False, with nothing posed, when memory
    // runs out.
    bool ProceedAnimation(int32_t frame, const JointScale* scales);
    // The joints alone, with the translations of joints whose scale has scalePositions
    // scaled (`scales` as for ProceedAnimation; null: none).
    void EvaluatePose(int32_t frame, const JointScale* scales = nullptr);
    // Skins every mesh from the joints' matrices, then computes normals and tangent
    // frames; ComputeNormalsAndTangents does the latter alone, on the current positions.
    void SkinVertices();
    void ComputeNormalsAndTangents();
    // The way posing computes: the library's default unless a test or benchmark chose
    // another for this actor. Every path gives the same bits.
    void SetPosePath(PosePath path) {
        posePath_ = path;
        ForgetPosedKey();
    }
    PosePath GetPosePath() const { return posePath_; }

    int32_t Render(IDirect3DDevice8* device) const;

    bool animated;
    int32_t currentAnimation;
    bool loaded;

private:
    PosePath posePath_;
    FileSource* files_ = &RealFileSystem();
    // The clip and key that ProceedAnimation last posed, while the actor still shows
    // them; posedClip_ is -1 when it may not.
    int32_t posedClip_ = -1;
    int32_t posedKey_ = 0;
    // Scratch for the fast paths, kept between posings so that posing allocates only
    // when a larger model arrives.
    PoseWorkspace workspace_;
    // Each mesh's prepared lists, made for the meshes they describe (checked before
    // every posing, so that meshes built or replaced by hand are prepared too).
    PreparedMesh* prepared_ = nullptr;
    int32_t preparedCount_ = 0;
    // Nonzero while Render hands the model to a device, which may call back.
    mutable int32_t drawing_ = 0;

    void ForgetPosedKey() { posedClip_ = -1; }
    void TakeModel(ModelRecords& source);
    bool AppendAnimation(Animation& clip);
    void LoadClipsBeside(const char* mesh, const char* folder, const char* pattern, const LoadReport* report);
    void PrepareMeshes();
    void ReleasePrepared();
    void PoseMeshes(const Joint* skinFrom);
};

}  // namespace brmath
