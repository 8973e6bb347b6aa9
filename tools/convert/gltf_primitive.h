#pragma once

// An MD5 mesh block as one glTF primitive, and what export changed on the way.
#include <string>
#include <vector>

#include "gltf_buffer.h"
#include "gltf_space.h"
#include "model/model.h"

namespace convert {

// The most weights a vertex keeps in a glTF skin (two JOINTS/WEIGHTS sets).
constexpr int kMaxWeights = 8;

// What export changed or left out, counted over every block.
struct ExportCounts {
    int unnormalisedVertices = 0;  // biases that do not sum to one
    int trimmedVertices = 0;       // more weights than the most kept
    int repeatedJoints = 0;        // weights that name a joint twice, added
    int overFourWeights = 0;       // more than four weights kept: a second JOINTS/WEIGHTS set
    int replacedNormals = 0;       // a normal that is not a unit vector, of a vertex a triangle uses
    int unusedVertices = 0;        // vertices no triangle uses (their normals are no unit vectors either)
    int emptyMeshes = 0;
    int disagreeingVertices = 0;   // weights that place the vertex apart in the bind pose
    double largestDisagreement = 0;
};

// How one block is skinned: the joints' bind matrices (none: not skinned), the most
// weights a vertex keeps, and how far apart its weights may place a vertex.
struct SkinningRule {
    const std::vector<brmath::Matrix4>* bind = nullptr;
    int maxWeights = kMaxWeights;
    double tolerance = 0;
    // Each joint's place in the skin, when not its own number (a joint whose weights a
    // scale-only child carries); null: its number.
    const std::vector<int>* jointSlots = nullptr;
};

// One primitive for a block in the bind pose, in glTF's space: triangles wound
// counter-clockwise about their outward normals, as glTF's front faces are; with its
// joints and weights when the rule has a bind pose. With `gameMaps`, texture v as the
// game reads it (from the image's top, as glTF's) and a TANGENT from the library's
// tangent frames, for a normal map whose green a game material's turned over.
tinygltf::Primitive MakePrimitive(const brmath::Mesh& mesh, const SkinningRule& rule, const GltfSpace& space,
                                  BufferWriter& buffer, ExportCounts& counts, bool gameMaps = false);

// A material any viewer shows: not metallic, mid rough, a light base colour.
tinygltf::Material MakeMaterial(const std::string& shader);

}  // namespace convert
