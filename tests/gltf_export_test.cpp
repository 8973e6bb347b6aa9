// md5tool export, read back with tinygltf: the skin evaluated at every clip's keys
// lands where the library's own posing puts every vertex, and the counts match.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <map>
#include <string>
#include <vector>

#define TINYGLTF_NO_STB_IMAGE
#define TINYGLTF_NO_STB_IMAGE_WRITE
#define TINYGLTF_NO_EXTERNAL_IMAGE
#define TINYGLTF_NO_INCLUDE_JSON
#include <nlohmann/json.hpp>
#include <tiny_gltf.h>

#include "actor/actor.h"
#include "commands.h"
#include "support/corpus.h"
#include "support/temp_folder.h"

namespace {

using Matrix = std::array<double, 16>;  // column-major, as glTF stores matrices

Matrix Multiply(const Matrix& a, const Matrix& b) {
    Matrix r{};
    for (int c = 0; c < 4; ++c) {
        for (int row = 0; row < 4; ++row) {
            for (int k = 0; k < 4; ++k) r[4 * c + row] += a[4 * k + row] * b[4 * c + k];
        }
    }
    return r;
}

// T * R * S, as glTF composes a node's transform.
Matrix Compose(const std::vector<double>& t, const std::vector<double>& q, const std::vector<double>& s) {
    const double x = q[0], y = q[1], z = q[2], w = q[3];
    Matrix m{1 - 2 * (y * y + z * z), 2 * (x * y + w * z), 2 * (x * z - w * y), 0,
             2 * (x * y - w * z), 1 - 2 * (x * x + z * z), 2 * (y * z + w * x), 0,
             2 * (x * z + w * y), 2 * (y * z - w * x), 1 - 2 * (x * x + y * y), 0,
             t[0], t[1], t[2], 1};
    for (int c = 0; c < 3; ++c) {
        for (int row = 0; row < 3; ++row) m[4 * c + row] *= s[c];
    }
    return m;
}

template <typename T>
const T* Data(const tinygltf::Model& model, int accessor) {
    const tinygltf::Accessor& a = model.accessors[static_cast<size_t>(accessor)];
    const tinygltf::BufferView& view = model.bufferViews[static_cast<size_t>(a.bufferView)];
    return reinterpret_cast<const T*>(model.buffers[static_cast<size_t>(view.buffer)].data.data() + view.byteOffset +
                                      a.byteOffset);
}

// The exported file posed at key `key` of animation `animation` (-1: the rest pose):
// every vertex of every primitive, skinned as a glTF viewer skins it.
std::vector<std::array<double, 3>> Pose(const tinygltf::Model& model, int animation, int key) {
    std::vector<Matrix> local(model.nodes.size());
    std::vector<int> parent(model.nodes.size(), -1);
    for (size_t n = 0; n < model.nodes.size(); ++n) {
        const tinygltf::Node& node = model.nodes[n];
        std::vector<double> t = node.translation.empty() ? std::vector<double>{0, 0, 0} : node.translation;
        std::vector<double> r = node.rotation.empty() ? std::vector<double>{0, 0, 0, 1} : node.rotation;
        const std::vector<double> s = node.scale.empty() ? std::vector<double>{1, 1, 1} : node.scale;
        if (animation >= 0) {
            for (const tinygltf::AnimationChannel& channel : model.animations[static_cast<size_t>(animation)].channels) {
                if (channel.target_node != static_cast<int>(n)) continue;
                const tinygltf::AnimationSampler& sampler =
                    model.animations[static_cast<size_t>(animation)].samplers[static_cast<size_t>(channel.sampler)];
                const float* values = Data<float>(model, sampler.output);
                const int size = channel.target_path == "rotation" ? 4 : 3;
                std::vector<double>& target = channel.target_path == "rotation" ? r : t;
                for (int c = 0; c < size; ++c) target[static_cast<size_t>(c)] = values[size * key + c];
            }
        }
        local[n] = Compose(t, r, s);
        for (int child : node.children) parent[static_cast<size_t>(child)] = static_cast<int>(n);
    }
    const auto global = [&](int n) {
        Matrix m = local[static_cast<size_t>(n)];
        for (int p = parent[static_cast<size_t>(n)]; p >= 0; p = parent[static_cast<size_t>(p)]) {
            m = Multiply(local[static_cast<size_t>(p)], m);
        }
        return m;
    };
    const tinygltf::Skin& skin = model.skins[0];
    const float* inverseBinds = Data<float>(model, skin.inverseBindMatrices);
    std::vector<Matrix> joints;
    for (size_t j = 0; j < skin.joints.size(); ++j) {
        Matrix inverse;
        for (int e = 0; e < 16; ++e) inverse[static_cast<size_t>(e)] = inverseBinds[16 * j + static_cast<size_t>(e)];
        joints.push_back(Multiply(global(skin.joints[j]), inverse));
    }
    std::vector<std::array<double, 3>> vertices;
    for (const tinygltf::Primitive& primitive : model.meshes[0].primitives) {
        const int count = static_cast<int>(model.accessors[static_cast<size_t>(primitive.attributes.at("POSITION"))].count);
        const float* positions = Data<float>(model, primitive.attributes.at("POSITION"));
        for (int v = 0; v < count; ++v) {
            std::array<double, 3> sum{0, 0, 0};
            for (int set = 0; primitive.attributes.count("JOINTS_" + std::to_string(set)) != 0; ++set) {
                const uint16_t* ids = Data<uint16_t>(model, primitive.attributes.at("JOINTS_" + std::to_string(set)));
                const float* weights = Data<float>(model, primitive.attributes.at("WEIGHTS_" + std::to_string(set)));
                for (int k = 0; k < 4; ++k) {
                    const Matrix& m = joints[ids[4 * v + k]];
                    const double w = weights[4 * v + k];
                    for (int row = 0; row < 3; ++row) {
                        sum[static_cast<size_t>(row)] += w * (m[static_cast<size_t>(row)] * positions[3 * v] +
                                                              m[static_cast<size_t>(4 + row)] * positions[3 * v + 1] +
                                                              m[static_cast<size_t>(8 + row)] * positions[3 * v + 2] +
                                                              m[static_cast<size_t>(12 + row)]);
                    }
                }
            }
            vertices.push_back(sum);
        }
    }
    return vertices;
}

// The library's vertices in glTF's space: (x, y, z) is (x, z, -y) there, scaled.
std::vector<std::array<double, 3>> LibraryVertices(const brmath::Actor& actor, double scale) {
    std::vector<std::array<double, 3>> vertices;
    for (int m = 0; m < actor.meshCount; ++m) {
        if (actor.meshes[m].vertexCount == 0 || actor.meshes[m].triangleCount == 0) continue;
        for (int v = 0; v < actor.meshes[m].vertexCount; ++v) {
            const brmath::Vector3& p = actor.meshes[m].vertices[v].position;
            vertices.push_back({scale * p.x, scale * p.z, -scale * p.y});
        }
    }
    return vertices;
}

double Diagonal(const std::vector<std::array<double, 3>>& vertices) {
    std::array<double, 3> low{INFINITY, INFINITY, INFINITY}, high{-INFINITY, -INFINITY, -INFINITY};
    for (const auto& v : vertices) {
        for (size_t k = 0; k < 3; ++k) {
            low[k] = std::min(low[k], v[k]);
            high[k] = std::max(high[k], v[k]);
        }
    }
    return std::hypot(high[0] - low[0], high[1] - low[1], high[2] - low[2]);
}

struct Case {
    std::string mesh;
    double scale;
    // Whether every vertex's weights place it at the same bind position. Where they
    // do not, glTF's inverse bind matrices cannot follow the library's weights.
    bool weightsAgree;
};

class GltfExportTest : public ::testing::TestWithParam<Case> {};

}  // namespace

TEST_P(GltfExportTest, TheSkinPosesEveryKeyAsTheLibraryDoes) {
    const Case& c = GetParam();
    brmath_test::TempFolder temp;
    const std::string file = temp.File("model.glb");
    std::ostringstream out, err;
    md5tool::ExportOptions options;
    options.mesh = c.mesh;
    options.output = file;
    options.scale = c.scale;
    ASSERT_EQ(md5tool::Export(options, out, err), md5tool::kSuccess) << err.str();

    tinygltf::Model model;
    tinygltf::TinyGLTF loader;
    std::string error, warning;
    ASSERT_TRUE(loader.LoadBinaryFromFile(&model, &error, &warning, file)) << error;
    brmath::Actor actor;
    ASSERT_TRUE(actor.LoadMesh(c.mesh.c_str()));

    // The counts info gives.
    int vertices = 0, triangles = 0, frames = 0;
    for (const tinygltf::Primitive& primitive : model.meshes[0].primitives) {
        vertices += static_cast<int>(model.accessors[static_cast<size_t>(primitive.attributes.at("POSITION"))].count);
        triangles += static_cast<int>(model.accessors[static_cast<size_t>(primitive.indices)].count / 3);
    }
    for (const tinygltf::Animation& animation : model.animations) {
        frames += static_cast<int>(model.accessors[static_cast<size_t>(animation.samplers[0].input)].count);
    }
    int libraryVertices = 0, libraryTriangles = 0, libraryFrames = 0;
    for (int m = 0; m < actor.meshCount; ++m) {
        libraryVertices += actor.meshes[m].vertexCount;
        libraryTriangles += actor.meshes[m].triangleCount;
    }
    for (int a = 0; a < actor.animationCount; ++a) libraryFrames += actor.animations[a].frameCount;
    EXPECT_EQ(vertices, libraryVertices);
    EXPECT_EQ(triangles, libraryTriangles);
    EXPECT_EQ(static_cast<int>(model.skins[0].joints.size()), actor.jointCount);
    EXPECT_EQ(static_cast<int>(model.animations.size()), actor.animationCount);
    EXPECT_EQ(frames, libraryFrames);

    // Every key of every clip, to 1e-4 of the bounding box's diagonal.
    const double tolerance = 1e-4 * Diagonal(LibraryVertices(actor, c.scale));
    double largest = 0;
    for (int a = 0; a < actor.animationCount; ++a) {
        ASSERT_TRUE(actor.SetAnimation(a));
        for (int key = 0; key < actor.animations[a].frameCount; ++key) {
            actor.ProceedAnimation(key);
            const auto expected = LibraryVertices(actor, c.scale);
            const auto skinned = Pose(model, a, key);
            ASSERT_EQ(skinned.size(), expected.size());
            for (size_t v = 0; v < expected.size(); ++v) {
                largest = std::max(largest, std::hypot(skinned[v][0] - expected[v][0], skinned[v][1] - expected[v][1],
                                                       skinned[v][2] - expected[v][2]));
            }
        }
    }
    if (c.weightsAgree) {
        EXPECT_LE(largest, tolerance);
    }
    std::printf("%s: largest distance %.3g, %.3g of the diagonal\n", c.mesh.c_str(), largest,
                largest / (tolerance / 1e-4));
}

INSTANTIATE_TEST_SUITE_P(
    Models, GltfExportTest,
    ::testing::Values(Case{std::string(BRMATH_SAMPLES_DIR) + "/robot/robot.md5mesh", 1.0, true},
                      // Its shared vertex's two weights put it at (0, 1, 2) and (0, 2, 0).
                      Case{brmath_test::TestDataPath("rig/rig.md5mesh"), 0.0254, false},
                      Case{brmath_test::TestDataPath("gltf/skeletons.md5mesh"), 1.0, true}),
    [](const auto& info) { return std::to_string(info.index); });

TEST(GltfExportTest, TextureVIsFlippedAndTheJsonFormKeepsItsBufferBeside) {
    brmath_test::TempFolder temp;
    std::ostringstream out, err;
    md5tool::ExportOptions options;
    options.mesh = brmath_test::TestDataPath("rig/rig.md5mesh");
    options.output = temp.File("rig.gltf");
    ASSERT_EQ(md5tool::Export(options, out, err), md5tool::kSuccess) << err.str();
    tinygltf::Model model;
    tinygltf::TinyGLTF loader;
    std::string error, warning;
    ASSERT_TRUE(loader.LoadASCIIFromFile(&model, &error, &warning, options.output)) << error;
    EXPECT_EQ(model.buffers[0].uri, "rig.bin");
    // The rig's vertex 2 has the file's (u, v) = (0, 1): glTF's v counts from the top.
    const float* uv = Data<float>(model, model.meshes[0].primitives[0].attributes.at("TEXCOORD_0"));
    EXPECT_EQ(uv[4], 0.0f);
    EXPECT_EQ(uv[5], 0.0f);
    EXPECT_EQ(uv[3], 1.0f);  // vertex 1: (1, 0) becomes (1, 1)
    EXPECT_EQ(model.materials[0].name, "models/body.tga");

    options.output = temp.File("rig.obj");
    EXPECT_EQ(md5tool::Export(options, out, err), md5tool::kBadUsage);
}
