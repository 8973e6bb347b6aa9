#pragma once

// MD5 mesh and animation text, as import writes it: MD5Version 10, a
// commandline, tidy tab-separated records, and numbers that read back as the same
// floats. Everything is in MD5's own terms: model-space joints, joint-space weights,
// orientations as x, y, z with w negative (w is completed from them on reading).
#include <array>
#include <string>
#include <vector>

namespace convert {

using Md5Vector = std::array<double, 3>;
using Md5Quaternion = std::array<double, 4>;  // x, y, z, w

struct Md5Joint {
    std::string name;
    int parent = -1;
    Md5Vector position{0, 0, 0};
    Md5Quaternion orientation{0, 0, 0, 1};
};

struct Md5Weight {
    int joint = 0;
    double bias = 1;
    Md5Vector position{0, 0, 0};  // in the joint's space
};

struct Md5Vertex {
    double u = 0, v = 0;  // v counted as the file counts it
    std::vector<Md5Weight> weights;
};

struct Md5MeshBlock {
    std::string shader;
    int material = -1;  // the glTF material it came from (not written)
    std::vector<Md5Vertex> vertices;
    std::vector<std::array<int, 3>> triangles;
};

struct Md5Model {
    std::vector<Md5Joint> joints;  // parents first
    std::vector<Md5MeshBlock> meshes;
};

// A joint's pose relative to its parent (model space for a root).
struct Md5Pose {
    Md5Vector position{0, 0, 0};
    Md5Quaternion orientation{0, 0, 0, 1};
};

struct Md5Clip {
    int frameRate = 24;
    std::vector<std::vector<Md5Pose>> frames;       // a pose a joint, every frame
    std::vector<std::array<Md5Vector, 2>> bounds;   // min and max, every frame
};

// An orientation in the sign the reader completes w with: w not positive.
Md5Quaternion StoredOrientation(const Md5Quaternion& q);

std::string WriteMd5Mesh(const Md5Model& model, const std::string& commandline);
// The clip of `model`'s skeleton: a hierarchy whose flags mark the components that
// change, the base frame (the first frame) and the frames with those components.
std::string WriteMd5Anim(const Md5Model& model, const Md5Clip& clip, const std::string& commandline);

}  // namespace convert
