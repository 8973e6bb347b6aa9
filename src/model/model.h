#pragma once

// The records of a loaded model: skeleton, meshes with their vertices, triangles and
// weights, and clips with their tracks and keys. Plain data over the math types; the
// readers fill them, posing and drawing read and write them, the actor owns them.
#include <cstdint>

#include "math/matrix4.h"
#include "math/quaternion.h"
#include "math/vector2.h"
#include "math/vector3.h"

namespace brmath {

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

// One joint's scale for one pose: its own weights are placed `scale` times as far from
// it along its axes, and with `scalePositions` its translation from its parent is
// scaled first (which moves its children with it). Scale 1 without scalePositions
// changes nothing.
struct JointScale {
    float scale;
    bool scalePositions;
};
constexpr int kShaderSize = 1024;

// The pose of one joint at one frame, orientation already completed.
struct AnimKey {
    Vector3 position;
    Quaternion orientation;
};

// One joint entry of a clip.
struct AnimTrack {
    Joint* joint;           // the joint this track drives; null when its name matched none
    Joint* parent;          // applied after the track's own transform; null for a root
    AnimKey* keys;          // frameCount keys; only animated tracks (flags != 0) have them
    Vector3 basePosition;
    Quaternion baseOrientation;
    uint8_t flags;          // component mask: bits 0-2 position x/y/z, bits 3-5 orientation x/y/z
    int32_t startIndex;
};

// One clip, read from one .md5anim file.
struct Animation {
    char name[128];
    AnimTrack* tracks;
    int32_t trackCount;
    int32_t frameCount;
    int32_t frameRate;
};

constexpr int kTrackComponents = 6;

// One model's arrays, each a heap array of exactly its count, owned here: joint
// pointers point into `joints`, which is never reallocated while the model is held.
struct ModelRecords {
    Mesh* meshes = nullptr;
    int32_t meshCount = 0;
    Joint* joints = nullptr;
    int32_t jointCount = 0;
    Animation* animations = nullptr;
    int32_t animationCount = 0;
};

// Appends child to parent's child list; when memory runs out the list stays as it was.
void AddChild(Joint* parent, Joint* child);
// The first joint of that name (exact bytes), or null.
Joint* FindJoint(const ModelRecords& model, const char* name);
// Frees a clip's tracks and keys and zeroes its counts.
void ReleaseAnimation(Animation& clip);
// Frees every array of the model and leaves it empty.
void ReleaseModel(ModelRecords& model);
// Moves every array from `source` to `target`, which must be empty; `source` is left empty.
void MoveModel(ModelRecords& target, ModelRecords& source);

}  // namespace brmath
