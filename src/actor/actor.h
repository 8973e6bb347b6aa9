#pragma once

#include <cstdint>

#include "math/matrix4.h"
#include "math/vector2.h"
#include "math/vector3.h"
#include "anim/pose_workspace.h"
#include "md5/animation.h"
#include "platform/device.h"

namespace brmath {

struct ReadFailure;
struct LoadReport;

struct MeshVertex {
    Vector2 texCoord;  // v is stored negated
    int32_t weightStart;
    int32_t weightCount;
    Vector3 position;
    Vector3 normal;
    Vector3 tangent;
    Vector3 bitangent;
    Vector3 tangentNormal;
};

struct MeshTriangle {
    int32_t indices[3];
};

struct MeshWeight {
    int32_t joint;
    float bias;
    Vector3 position;  // in the joint's space
};

struct Mesh {
    char shader[1024];
    int32_t texture;       // -1: the library loads no texture
    int32_t localTexture;  // -1: the library loads no texture
    MeshVertex* vertices;
    int32_t vertexCount;
    MeshTriangle* triangles;
    int32_t triangleCount;
    MeshWeight* weights;
    int32_t weightCount;
    // Derived at load, for posing only: in triangle order, the triangles whose tangent
    // frame some vertex keeps (the last triangle of each vertex), and for each vertex
    // the place of its triangle in that list (-1: no triangle uses the vertex). The
    // other triangles' frames are always overwritten, so posing need not compute them.
    // Null lists: a mesh built by hand, which posing treats with the plain kernels.
    // The list runs on to a whole eight, repeating its last triangle.
    int32_t* frameTriangles;
    int32_t frameTriangleCount;
    int32_t* frameSlots;
    // The frame triangles' texture-space terms, which posing never changes: for each
    // four of them, five rows of four floats (s1 - s0, t1 - t0, s2 - s0, t2 - t0 and
    // the determinant), a triangle per column, to the end of the padded list.
    float* frameTexture;
};

struct Joint {
    char name[64];
    char parentName[64];
    int32_t index;
    int32_t parentIndex;
    Matrix4 matrix;  // model-space transform: bind pose, a clip's base frame, or a posed frame
    Joint* parent;
    Joint** children;  // owned array; the children themselves are not owned
    int32_t childCount;
};

constexpr int kJointNameSize = 64;
constexpr int kShaderSize = 1024;

// One loaded MD5 model: skeleton, meshes and clips. Arrays are owned heap arrays of
// exactly their counts; joint pointers point into `joints`, which is never reallocated
// while the model is loaded.
class Actor {
public:
    Actor();
    explicit Actor(const char* path);
    ~Actor();
    Actor(const Actor&) = delete;
    Actor& operator=(const Actor&) = delete;

    void Release();
    Animation* GetAnimation(int index);
    int32_t GetTriangleCount() const;
    bool IsLoaded() const { return loaded; }
    static void AddChild(Joint* parent, Joint* child);

    // Reads a mesh file and the clips beside it. A file that does not open or is
    // malformed leaves the actor as it was; failure, when given, says why, and report
    // hears of whatever was left out (refused clips, records past their counts). While
    // the actor is being drawn it keeps its model and fails.
    bool LoadMesh(const char* path, ReadFailure* failure = nullptr, const LoadReport* report = nullptr);
    // Appends the clip read from path; a malformed file appends nothing.
    bool LoadAnimation(const char* path, ReadFailure* failure = nullptr, const LoadReport* report = nullptr);
    Joint* FindJoint(const char* name);

    bool SetAnimation(int32_t index);
    void ProceedAnimation(int32_t frame);
    void EvaluatePose(int32_t frame);
    void SkinVertices();
    void ComputeNormalsAndTangents();

    int32_t Render(IDirect3DDevice8* device) const;

    bool animated;
    Mesh* meshes;
    int32_t meshCount;
    Joint* joints;
    int32_t jointCount;
    Animation* animations;
    int32_t animationCount;
    int32_t currentAnimation;
    bool loaded;

private:
    // Scratch for the fast kernels, kept between posings so that posing allocates
    // only when a larger model arrives.
    PoseWorkspace workspace;
    // Nonzero while Render hands the model to a device, which may call back.
    mutable int32_t drawing_ = 0;

    void TakeModel(Actor& source);
    bool AppendAnimation(Animation& clip);
    void PoseBaseFrame(const Animation& clip);
};

void ReleaseAnimation(Animation& clip);

}  // namespace brmath
