#pragma once

// A glTF model checked whole, once, after parsing: every index in range, every accessor
// within its view and buffer (its stride honoured), every vertex index below the vertex
// count, every joint number below its skin's joint count, the nodes a forest. What
// the conversions read of a glTF file they read from here, decoded, so that no later
// use can reach outside the data.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tinygltf {
class Model;
}

namespace convert {

using GltfMatrix = std::array<double, 16>;  // column-major, as glTF stores matrices

struct CheckedNode {
    std::string name;
    int parent = -1;
    std::vector<int> children;
    int mesh = -1;
    int skin = -1;
    std::array<double, 3> translation{0, 0, 0};
    std::array<double, 4> rotation{0, 0, 0, 1};  // x, y, z, w
    std::array<double, 3> scale{1, 1, 1};
    bool hasMatrix = false;  // given as a matrix instead of the three parts
    GltfMatrix matrix{};
    // Its extras' "md5scale" object, which md5tool export gives a joint's scale-only
    // child: whether the joint's translation is scaled too (-1: no such object).
    int md5ScalePositions = -1;
};

struct CheckedPrimitive {
    int material = -1;
    std::vector<std::array<float, 3>> positions;
    std::vector<std::array<float, 3>> normals;    // empty when absent
    std::vector<std::array<float, 2>> texCoords;  // TEXCOORD_0; empty when absent
    int influenceSets = 0;                        // JOINTS_n and WEIGHTS_n pairs
    std::vector<uint16_t> joints;                 // 4 x influenceSets a vertex
    std::vector<float> weights;                   // the same
    std::vector<uint32_t> indices;                // a triangle list (strips and fans unrolled)
    int morphTargets = 0;
};

struct CheckedMesh {
    std::string name;
    std::vector<CheckedPrimitive> primitives;  // triangles, strips and fans
    int otherPrimitives = 0;                   // points and lines, not read
};

struct CheckedSkin {
    std::string name;
    std::vector<int> joints;                 // at least one
    std::vector<GltfMatrix> inverseBinds;    // one a joint
};

enum class ChannelPath { kTranslation, kRotation, kScale };
enum class Interpolation { kLinear, kStep, kCubicSpline };

struct CheckedChannel {
    int node = 0;
    ChannelPath path = ChannelPath::kTranslation;
    Interpolation interpolation = Interpolation::kLinear;
    std::vector<float> times;   // at least one, non-decreasing
    std::vector<float> values;  // width (3 or 4) numbers a key; three keys' worth a time for cubic splines
    int width = 3;
};

struct CheckedAnimation {
    std::string name;
    std::vector<CheckedChannel> channels;
};

struct CheckedMaterial {
    std::string name;
    std::string baseColorImage;  // the base colour texture's image URI, or its name; may be empty
};

struct CheckedGltf {
    std::vector<CheckedMaterial> materials;
    std::vector<CheckedNode> nodes;
    std::vector<int> order;  // every node, parents before children
    std::vector<CheckedMesh> meshes;
    std::vector<CheckedSkin> skins;
    std::vector<CheckedAnimation> animations;
};

// Checks and decodes `model`; false with the first fault found.
bool CheckGltf(const tinygltf::Model& model, CheckedGltf* checked, std::string* error);

// A channel's value at `time` (held before the first key and after the last): linear
// (rotations by slerp), step or cubic spline, as glTF defines them.
std::array<double, 4> SampleChannel(const CheckedChannel& channel, double time);

// Every node's global transform, each computed once, parents first, with the
// animation's channels sampled at `time` (none for a null animation).
std::vector<GltfMatrix> NodeGlobals(const CheckedGltf& gltf, const CheckedAnimation* animation, double time);

// The node's local transform, T * R * S or its matrix.
GltfMatrix LocalTransform(const CheckedNode& node);
GltfMatrix Multiply(const GltfMatrix& a, const GltfMatrix& b);

}  // namespace convert
