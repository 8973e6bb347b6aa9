// md5tool export, read back with tinygltf: the skin evaluated at every clip's keys
// lands where the library's own posing puts every vertex, and the counts match.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "actor/actor.h"
#include "commands.h"
#include "gltf_scene.h"
#include "support/corpus.h"
#include "support/gltf_files.h"
#include "support/png_pixels.h"
#include "support/temp_folder.h"
#include "tinygltf_settings.h"

namespace {

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

// The diagonal of the bind pose's bounding box, from the exported positions' bounds.
double Diagonal(const tinygltf::Model& model) {
    std::array<double, 3> low{INFINITY, INFINITY, INFINITY}, high{-INFINITY, -INFINITY, -INFINITY};
    for (const tinygltf::Primitive& primitive : model.meshes[0].primitives) {
        const tinygltf::Accessor& positions = model.accessors[static_cast<size_t>(primitive.attributes.at("POSITION"))];
        for (size_t k = 0; k < 3; ++k) low[k] = std::min(low[k], positions.minValues[k]);
        for (size_t k = 0; k < 3; ++k) high[k] = std::max(high[k], positions.maxValues[k]);
    }
    return std::hypot(high[0] - low[0], high[1] - low[1], high[2] - low[2]);
}

struct Case {
    std::string mesh;
    double scale;
    // Whether every vertex's weights place it at the same bind position. Where they
    // do not, glTF's inverse bind matrices cannot follow the library's weights.
    bool weightsAgree;
    // Whether its triangles wind one way about the surface (the two-skeleton model's
    // four do not, so its vertex normals cannot agree with all of them).
    bool windsOneWay = true;
};

class GltfExportTest : public ::testing::TestWithParam<Case> {};

// Exports `mesh` to `output` and reads the file back into `scene`.
::testing::AssertionResult Exported(const std::string& mesh, const std::string& output, convert::GltfScene& scene,
                                    double scale = 1) {
    std::ostringstream out, err;
    md5tool::ExportOptions options;
    options.mesh = mesh;
    options.output = output;
    options.scale = scale;
    if (md5tool::Export(options, out, err) != md5tool::kSuccess) return ::testing::AssertionFailure() << err.str();
    std::string error;
    if (!brmath_test::LoadScene(scene, output, &error)) return ::testing::AssertionFailure() << error;
    return ::testing::AssertionSuccess();
}

}  // namespace

TEST_P(GltfExportTest, TheSkinPosesEveryKeyAsTheLibraryDoes) {
    const Case& c = GetParam();
    brmath_test::TempFolder temp;
    convert::GltfScene scene;
    ASSERT_TRUE(Exported(c.mesh, temp.File("model.glb"), scene, c.scale));
    const tinygltf::Model& model = scene.Model();
    brmath::Actor actor;
    ASSERT_TRUE(actor.LoadMesh(c.mesh.c_str()));

    // The counts info gives.
    int triangles = 0, frames = 0;
    for (const tinygltf::Primitive& primitive : model.meshes[0].primitives) {
        triangles += static_cast<int>(model.accessors[static_cast<size_t>(primitive.indices)].count / 3);
    }
    for (int a = 0; a < scene.AnimationCount(); ++a) frames += scene.KeyCount(a);
    int libraryVertices = 0, libraryFrames = 0;
    for (int m = 0; m < actor.meshCount; ++m) libraryVertices += actor.meshes[m].vertexCount;
    for (int a = 0; a < actor.animationCount; ++a) libraryFrames += actor.animations[a].frameCount;
    EXPECT_EQ(static_cast<int>(scene.Skin(-1, 0).size()), libraryVertices);
    EXPECT_EQ(triangles, actor.GetTriangleCount());
    EXPECT_EQ(static_cast<int>(model.skins[0].joints.size()), actor.jointCount);
    EXPECT_EQ(static_cast<int>(model.animations.size()), actor.animationCount);
    EXPECT_EQ(frames, libraryFrames + actor.animationCount);  // each with a key that closes its loop

    // Every key of every clip, to 1e-4 of the bounding box's diagonal.
    const double tolerance = 1e-4 * Diagonal(model);
    const auto largestDistance = [&](const convert::GltfScene& posed) -> double {
        double largest = 0;
        for (int a = 0; a < actor.animationCount; ++a) {
            actor.SetAnimation(a);
            for (int key = 0; key < actor.animations[a].frameCount; ++key) {
                actor.ProceedAnimation(key);
                const auto expected = LibraryVertices(actor, c.scale);
                const auto skinned = posed.Skin(a, key);
                if (skinned.size() != expected.size()) return INFINITY;
                for (size_t v = 0; v < expected.size(); ++v) {
                    const auto& p = skinned[v].position;
                    largest = std::max(largest, std::hypot(p[0] - expected[v][0], p[1] - expected[v][1], p[2] - expected[v][2]));
                }
            }
        }
        return largest;
    };
    const double largest = largestDistance(scene);
    // With the four largest weights only, as clients that read one set see it.
    convert::GltfScene four;
    std::ostringstream out, err;
    md5tool::ExportOptions options;
    options.mesh = c.mesh;
    options.output = temp.File("four.glb");
    options.scale = c.scale;
    options.maxWeights = 4;
    ASSERT_EQ(md5tool::Export(options, out, err), md5tool::kSuccess);
    std::string error;
    ASSERT_TRUE(brmath_test::LoadScene(four, options.output, &error)) << error;
    std::printf("%s with --max-weights 4: largest distance %.3g of the diagonal\n", c.mesh.c_str(),
                largestDistance(four) / (tolerance / 1e-4));
    if (c.weightsAgree) {
        EXPECT_LE(largest, tolerance);
    }
    // The last key poses the model as the first, as the library wraps.
    for (int a = 0; a < scene.AnimationCount(); ++a) {
        const auto first = scene.Skin(a, 0), last = scene.Skin(a, scene.KeyCount(a) - 1);
        for (size_t v = 0; v < first.size(); ++v) {
            const auto& p = first[v].position;
            const auto& q = last[v].position;
            EXPECT_LE(std::hypot(p[0] - q[0], p[1] - q[1], p[2] - q[2]), tolerance) << "animation " << a;
        }
    }
    // Front faces: the right-handed normal of (nearly) every triangle points along its
    // corners' NORMALs.
    int along = 0, triangleCount = 0;
    for (const convert::CheckedPrimitive& primitive : scene.Checked().meshes[0].primitives) {
        for (size_t i = 0; i + 2 < primitive.indices.size(); i += 3) {
            std::array<double, 3> corner[3], normal{0, 0, 0};
            for (size_t k = 0; k < 3; ++k) {
                for (size_t r = 0; r < 3; ++r) {
                    corner[k][r] = primitive.positions[primitive.indices[i + k]][r];
                    normal[r] += primitive.normals[primitive.indices[i + k]][r];
                }
            }
            const std::array<double, 3> e1{corner[1][0] - corner[0][0], corner[1][1] - corner[0][1], corner[1][2] - corner[0][2]};
            const std::array<double, 3> e2{corner[2][0] - corner[0][0], corner[2][1] - corner[0][1], corner[2][2] - corner[0][2]};
            const std::array<double, 3> face{e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2], e1[0] * e2[1] - e1[1] * e2[0]};
            const double dot = face[0] * normal[0] + face[1] * normal[1] + face[2] * normal[2];
            if (std::hypot(face[0], face[1], face[2]) < 1e-12) continue;  // degenerate
            ++triangleCount;
            along += dot > 0 ? 1 : 0;
        }
    }
    if (c.windsOneWay) {
        EXPECT_GE(along, 0.99 * triangleCount) << along << " of " << triangleCount << " triangles face along their normals";
    }
    std::printf("%s: largest distance %.3g, %.3g of the diagonal; %d of %d triangles face along their normals\n",
                c.mesh.c_str(), largest, largest / (tolerance / 1e-4), along, triangleCount);
}

INSTANTIATE_TEST_SUITE_P(
    Models, GltfExportTest,
    ::testing::Values(Case{std::string(BRMATH_SAMPLES_DIR) + "/robot/robot.md5mesh", 1.0, true},
                      // Its shared vertex's two weights put it at (0, 1, 2) and (0, 2, 0).
                      Case{brmath_test::TestDataPath("rig/rig.md5mesh"), 0.0254, false},
                      Case{brmath_test::TestDataPath("gltf/skeletons.md5mesh"), 1.0, true, false}),
    [](const auto& info) { return std::to_string(info.index); });

TEST(GltfExportTest, TextureVIsFlippedAndTheJsonFormKeepsItsBufferBeside) {
    brmath_test::TempFolder temp;
    convert::GltfScene scene;
    ASSERT_TRUE(Exported(brmath_test::TestDataPath("rig/rig.md5mesh"), temp.File("rig.gltf"), scene));
    EXPECT_EQ(scene.Model().buffers[0].uri, "rig.bin");
    // The file's (u, v) of vertices 1 and 2 are (1, 0) and (0, 1): glTF's v counts from the top.
    const auto rest = scene.Skin(-1, 0);
    EXPECT_EQ(rest[1].texCoord[1], 1.0f);
    EXPECT_EQ(rest[2].texCoord[1], 0.0f);
    EXPECT_EQ(scene.Model().materials[0].name, "models/body.tga");

    md5tool::ExportOptions wrongName;
    wrongName.mesh = brmath_test::TestDataPath("rig/rig.md5mesh");
    wrongName.output = temp.File("rig.obj");
    std::ostringstream out, err;
    EXPECT_EQ(md5tool::Export(wrongName, out, err), md5tool::kBadUsage);
}

TEST(GltfExportTest, RenderDrawsTheExportAsItDrawsTheOriginal) {
    brmath_test::TempFolder temp;
    convert::GltfScene scene;
    const std::string sources[2] = {std::string(BRMATH_SAMPLES_DIR) + "/robot/robot.md5mesh", temp.File("robot.glb")};
    ASSERT_TRUE(Exported(sources[0], sources[1], scene));
    // The glTF is drawn one-sided by glTF's winding rule: a triangle wound the wrong way
    // would leave the near side out and change the picture.
    std::string pictures[2];
    for (int i = 0; i < 2; ++i) {
        std::ostringstream drawn, errors;
        const std::vector<std::string> args = {"md5tool", "render", sources[i], "--clip", "1", "--frame", "8",
                                               "--size", "64x64", "-o", temp.File("picture" + std::to_string(i) + ".png")};
        ASSERT_EQ(md5tool::Run(args, drawn, errors), md5tool::kSuccess) << errors.str();
        pictures[i] = temp.File("picture" + std::to_string(i) + ".png");
    }
    const brmath_test::PictureDifference difference = brmath_test::ComparePngs(pictures[0], pictures[1]);
    EXPECT_LE(difference.pixels, 64 * 64 / 50);  // the clip's keys interpolated in double, not as the library
    EXPECT_LE(difference.largest, 16);
}
