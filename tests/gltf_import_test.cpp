// md5tool import: models exported to glTF and imported again pose as the originals do,
// the files read cleanly, and bad input leaves nothing behind.
#include <gtest/gtest.h>

#include <array>
#include <charconv>
#include <cstring>
#include <random>
#include <cmath>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "actor/actor.h"
#include "commands.h"
#include "float_text.h"
#include "gltf_import.h"
#include "gltf_scene.h"
#include "math/quaternion.h"
#include "md5_writer.h"
#include "support/corpus.h"
#include "support/gltf_files.h"
#include "support/temp_folder.h"

namespace {

int RunTool(std::vector<std::string> args, std::string* output = nullptr) {
    args.insert(args.begin(), "md5tool");
    std::ostringstream out, err;
    const int status = md5tool::Run(args, out, err);
    if (output != nullptr) *output = out.str() + err.str();
    return status;
}

struct RoundTrip {
    std::string mesh;
    bool weightsAgree;  // else a glTF skin cannot hold the model, as export warns
};

class GltfImportTest : public ::testing::TestWithParam<RoundTrip> {};

// Every vertex of every mesh with triangles, as the actor holds it now.
std::vector<brmath::Vector3> Vertices(const brmath::Actor& actor) {
    std::vector<brmath::Vector3> vertices;
    for (int m = 0; m < actor.meshCount; ++m) {
        if (actor.meshes[m].triangleCount == 0) continue;
        for (int v = 0; v < actor.meshes[m].vertexCount; ++v) vertices.push_back(actor.meshes[m].vertices[v].position);
    }
    return vertices;
}

}  // namespace

TEST_P(GltfImportTest, ExportedModelsComeBackPosedAsTheyWere) {
    const RoundTrip& c = GetParam();
    brmath_test::TempFolder temp;
    ASSERT_EQ(RunTool({"export", c.mesh, "-o", temp.File("model.glb")}), md5tool::kSuccess);
    std::string said;
    ASSERT_EQ(RunTool({"import", temp.File("model.glb"), "-o", temp.File("out")}, &said), md5tool::kSuccess) << said;
    const std::string imported = temp.File("out") + "/model.md5mesh";
    std::vector<std::string> check = {"check", "--strict", imported};
    for (const auto& entry : std::filesystem::directory_iterator(temp.File("out"))) {
        if (entry.path().extension() == ".md5anim") check.push_back(entry.path().string());
    }
    EXPECT_EQ(RunTool(check, &said), md5tool::kSuccess) << said;

    brmath::Actor original, copy;
    ASSERT_TRUE(original.LoadMesh(c.mesh.c_str()));
    ASSERT_TRUE(copy.LoadMesh(imported.c_str()));
    ASSERT_EQ(copy.animationCount, original.animationCount);
    std::vector<brmath::Vector3> bind = Vertices(original);
    brmath::Vector3 low = bind[0], high = bind[0];
    for (const brmath::Vector3& p : bind) {
        low = {std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)};
        high = {std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)};
    }
    const double diagonal = std::hypot(high.x - low.x, high.y - low.y, high.z - low.z);
    double largest = 0;
    for (int a = 0; a < original.animationCount; ++a) {
        ASSERT_TRUE(original.SetAnimation(a) && copy.SetAnimation(a));
        ASSERT_EQ(copy.animations[a].frameCount, original.animations[a].frameCount);
        for (int f = 0; f < original.animations[a].frameCount; ++f) {
            original.ProceedAnimation(f);
            copy.ProceedAnimation(f);
            const auto expected = Vertices(original), got = Vertices(copy);
            ASSERT_EQ(got.size(), expected.size());
            for (size_t v = 0; v < got.size(); ++v) {
                largest = std::max(largest, std::hypot(double(got[v].x) - expected[v].x, double(got[v].y) - expected[v].y,
                                                       double(got[v].z) - expected[v].z));
            }
        }
    }
    std::printf("%s: exported and imported, every frame within %.3g of the diagonal\n", c.mesh.c_str(), largest / diagonal);
    if (c.weightsAgree) {
        EXPECT_LE(largest, 1e-5 * diagonal);
    }
}

INSTANTIATE_TEST_SUITE_P(Models, GltfImportTest,
                         ::testing::Values(RoundTrip{std::string(BRMATH_SAMPLES_DIR) + "/robot/robot.md5mesh", true},
                                           RoundTrip{brmath_test::TestDataPath("rig/rig.md5mesh"), false},
                                           RoundTrip{brmath_test::TestDataPath("gltf/skeletons.md5mesh"), true},
                                           // joints turned by nearly a half turn, where w is close to 0
                                           RoundTrip{brmath_test::TestDataPath("halfturn/halfturn.md5mesh"), true}),
                         [](const auto& info) { return std::to_string(info.index); });

TEST(GltfImportTest, BadInputLeavesNothingBehind) {
    brmath_test::TempFolder temp;
    ASSERT_EQ(RunTool({"export", brmath_test::TestDataPath("rig/rig.md5mesh"), "-o", temp.File("rig.gltf"), "--embed"}),
              md5tool::kSuccess);
    nlohmann::json points = nlohmann::json::parse(brmath_test::ReadFileBytes(temp.File("rig.gltf")));
    points["meshes"][0]["primitives"][0]["mode"] = 0;
    temp.Write("points.gltf", points.dump());
    std::string said;
    EXPECT_EQ(RunTool({"import", temp.File("points.gltf"), "-o", temp.File("out")}, &said), md5tool::kBadInput);
    EXPECT_NE(said.find("no triangles"), std::string::npos) << said;
    EXPECT_FALSE(std::filesystem::exists(temp.File("out")));
    EXPECT_EQ(RunTool({"import", temp.File("rig.gltf"), "-o", temp.File("out"), "--fps", "0.5"}), md5tool::kBadUsage);
    EXPECT_EQ(RunTool({"import", temp.File("rig.gltf"), "-o", temp.File("out"), "--skin", "3"}), md5tool::kBadUsage);
    EXPECT_EQ(RunTool({"import", temp.File("missing.glb"), "-o", temp.File("out")}), md5tool::kBadInput);
    EXPECT_FALSE(std::filesystem::exists(temp.File("out")));
    // Names made safe for Windows and Linux.
    ASSERT_EQ(RunTool({"import", temp.File("rig.gltf"), "-o", temp.File("out"), "--name", "con: a/b"}), md5tool::kSuccess);
    EXPECT_TRUE(std::filesystem::exists(temp.File("out") + "/con__a_b.md5mesh"));
}

// Files from another writer: Blender's glTF exporter (tests/data/gltf/blender, made by
// the script beside them): an armature turned and scaled above its bones, bones listed
// children first, two materials, a vertex of six weights, LINEAR, STEP and CUBICSPLINE
// keys at uneven times. Each frame of each clip poses as the glTF does at that time.
TEST(GltfImportTest, BlenderFilesPoseAsTheGltfDoes) {
    const std::string file = brmath_test::TestDataPath("gltf/blender/rigged.glb");
    brmath_test::TempFolder temp;
    std::string said;
    ASSERT_EQ(RunTool({"import", file, "-o", temp.File("out")}, &said), md5tool::kSuccess) << said;
    convert::GltfScene scene;
    std::string error;
    ASSERT_TRUE(brmath_test::LoadScene(scene, file, &error)) << error;
    std::vector<std::string> check = {"check", "--strict", temp.File("out") + "/rigged.md5mesh"};
    for (const char* clip : {"Linear", "Smooth", "Step"}) check.push_back(temp.File("out") + "/rigged_" + clip + ".md5anim");
    EXPECT_EQ(RunTool(check, &said), md5tool::kSuccess) << said;
    brmath::Actor actor;
    ASSERT_TRUE(actor.LoadMesh((temp.File("out") + "/rigged.md5mesh").c_str()));
    ASSERT_EQ(actor.animationCount, 3);
    const auto rest = scene.SkinAt(-1, 0);
    std::array<double, 3> low{INFINITY, INFINITY, INFINITY}, high{-INFINITY, -INFINITY, -INFINITY};
    for (const auto& vertex : rest) {
        for (size_t k = 0; k < 3; ++k) {
            low[k] = std::min(low[k], vertex.position[k]);
            high[k] = std::max(high[k], vertex.position[k]);
        }
    }
    const double diagonal = std::hypot(high[0] - low[0], high[1] - low[1], high[2] - low[2]);
    for (int a = 0; a < scene.AnimationCount(); ++a) {
        const std::string name = "rigged_" + convert::SafeFileName(scene.Checked().animations[static_cast<size_t>(a)].name);
        int clip = 0;
        while (clip < actor.animationCount && actor.animations[clip].name != name) ++clip;
        ASSERT_LT(clip, actor.animationCount) << name;
        actor.SetAnimation(clip);
        double largest = 0;
        for (int f = 0; f < actor.animations[clip].frameCount; ++f) {
            actor.ProceedAnimation(f);
            const auto expected = scene.SkinAt(a, static_cast<float>(static_cast<double>(f) / actor.animations[clip].frameRate));
            const auto got = Vertices(actor);
            ASSERT_EQ(got.size(), expected.size());
            for (size_t v = 0; v < got.size(); ++v) {
                // The library's z-up vertex in glTF's y-up space.
                const auto& p = expected[v].position;
                largest = std::max(largest, std::hypot(got[v].x - p[0], got[v].z - p[1], -got[v].y - p[2]));
            }
        }
        std::printf("%s: %d frames, every vertex within %.3g of the diagonal\n", name.c_str(),
                    actor.animations[clip].frameCount, largest / diagonal);
        EXPECT_LE(largest, 1e-4 * diagonal) << name;
    }
}

// The MD5 writer's numbers where the standard library has no float to_chars (the web
// module) are to_chars's text: every float kind, and a million random bit patterns.
TEST(GltfImportTest, ShortestFloatTextIsToCharsText) {
    std::vector<float> values = {1.0f, -0.5f, 0.1f, 1e-7f, 123456792.0f, 1e10f, 3.4028235e38f, 1.17549435e-38f,
                                 1.4e-45f, 0.99969304f, 100.0f, 0.001f};
    std::mt19937 random(24);
    for (int i = 0; i < 1000000; ++i) {
        const uint32_t bits = static_cast<uint32_t>(random());
        float value;
        std::memcpy(&value, &bits, sizeof(value));
        if (std::isfinite(value) && value != 0.0f) values.push_back(value);
    }
    for (const float value : values) {
        char text[32];
        const auto result = std::to_chars(text, text + sizeof(text), value);
        ASSERT_EQ(convert::ShortestFloatText(value), std::string(text, result.ptr)) << "bits of " << value;
    }
}

// Near a half turn, one float step in x moves the completed w by far more than a step:
// the writer gives back a file's own numbers when handed the rotation they make.
TEST(GltfImportTest, OrientationsNearAHalfTurnKeepTheFilesNumbers) {
    brmath::Quaternion file;
    file.SetFromXYZ(brmath::Vector3(0.999693f, 0.023939f, 0.006383f));
    convert::Md5Model model;
    model.joints.push_back({"upper", -1, {0, 0, 0}, {file.x, file.y, file.z, file.w}});
    const std::string text = convert::WriteMd5Mesh(model, "");
    EXPECT_NE(text.find("( 0.999693 0.023939 0.006383 )"), std::string::npos) << text;
}

// Import's options, its files' commandline, and the clips of the folder it did not write.
TEST(GltfImportTest, OptionsAreCheckedAndRecordedAndLeftoverClipsSaid) {
    brmath_test::TempFolder temp;
    const std::string glb = temp.File("rig.glb");
    ASSERT_EQ(RunTool({"export", brmath_test::TestDataPath("rig/rig.md5mesh"), "-o", glb}), md5tool::kSuccess);
    std::string said;
    for (const std::vector<std::string>& wrong : {std::vector<std::string>{"--fps", "29.97"}, {"--fps", "0"}, {"--skin", "-1"}}) {
        std::vector<std::string> args = {"import", glb, "-o", temp.File("no")};
        args.insert(args.end(), wrong.begin(), wrong.end());
        EXPECT_EQ(RunTool(args, &said), md5tool::kBadUsage) << wrong[1];
    }
    EXPECT_NE(said.find("from 0"), std::string::npos) << said;
    RunTool({"import", glb, "-o", temp.File("no"), "--fps", "29.97"}, &said);
    EXPECT_NE(said.find("whole number"), std::string::npos) << said;

    temp.MakeSubfolder("out");
    temp.Write("out/old_walk.md5anim", "left from before");
    ASSERT_EQ(RunTool({"import", glb, "-o", temp.File("out"), "--fps", "30", "--scale", "2"}, &said), md5tool::kSuccess);
    EXPECT_NE(said.find("warning: the folder holds 1 clip import did not write, which the library loads with the "
                        "mesh: old_walk.md5anim"), std::string::npos) << said;
    EXPECT_NE(brmath_test::ReadFileBytes(temp.File("out/rig.md5mesh")).find("commandline \"md5tool import rig.glb --fps 30 --scale 2\""),
              std::string::npos);
}
