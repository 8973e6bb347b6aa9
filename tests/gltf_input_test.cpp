// Hostile glTF files fail with a reason, in linear time, touching nothing outside their
// data: one-field mutations of a small export, broken GLB containers, deep JSON, buffer
// URIs that lead elsewhere.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "commands.h"
#include "gltf_scene.h"
#include "support/corpus.h"
#include "support/gltf_files.h"
#include "support/temp_folder.h"

namespace {

using Json = nlohmann::json;

// The rig exported as JSON with rig.bin beside it, as the document.
Json ExportRig(const brmath_test::TempFolder& temp, const std::string& name = "rig.gltf") {
    md5tool::ExportOptions options;
    options.mesh = brmath_test::TestDataPath("rig/rig.md5mesh");
    options.output = temp.File(name);
    std::ostringstream out, err;
    EXPECT_EQ(md5tool::Export(options, out, err), md5tool::kSuccess) << err.str();
    return Json::parse(brmath_test::ReadFileBytes(options.output));
}

// The reason a document is refused, or "" when it loads.
std::string Refusal(const brmath_test::TempFolder& temp, const Json& document, const std::string& name = "mutated.gltf") {
    convert::GltfScene scene;
    std::string error;
    if (!brmath_test::LoadScene(scene, temp.Write(name, document.dump()), &error)) return error.empty() ? "(no reason)" : error;
    // A model that loads is posed at every key without reaching outside its data.
    for (int a = 0; a < scene.AnimationCount(); ++a) {
        for (int key = 0; key < scene.KeyCount(a); ++key) scene.Draw(a, key);
    }
    return "";
}

struct Mutation {
    const char* what;
    std::function<void(Json&)> apply;
    const char* reason;  // a part of the reason given
};

}  // namespace

TEST(GltfInputTest, EveryOneFieldMutationIsRefusedWithAReason) {
    brmath_test::TempFolder temp;
    const Json rig = ExportRig(temp);
    ASSERT_EQ(Refusal(temp, rig), "");
    const Mutation mutations[] = {
        {"a rotation of two numbers", [](Json& d) { d["nodes"][0]["rotation"] = {0, 1}; }, "rotation has 2 numbers"},
        {"a negative child", [](Json& d) { d["nodes"][0]["children"] = {-5}; }, "child -5"},
        {"a node its own child", [](Json& d) { d["nodes"][1]["children"] = {1}; }, "more than one node, or of itself"},
        {"a cycle", [](Json& d) { d["nodes"][1]["children"] = {0}; }, "cycle"},
        {"a count past the view", [](Json& d) { d["accessors"][0]["count"] = 4; }, "run past its view"},
        {"an offset past the view", [](Json& d) { d["accessors"][1]["byteOffset"] = 40; }, "run past its view"},
        {"a view past the buffer", [](Json& d) { d["bufferViews"][0]["byteOffset"] = 1 << 20; }, "past its buffer"},
        {"a stride shorter than an element", [](Json& d) { d["bufferViews"][0]["byteStride"] = 8; }, "byteStride"},
        {"an index past the vertices",
         [](Json& d) {
             for (int a = 0; a < 5; ++a) d["accessors"][a]["count"] = 2;
         },
         "not below its 2 vertices"},
        {"a joint past the skin", [](Json& d) { d["skins"][0]["joints"] = {0}; }, "which has 1"},
        {"an attribute out of range", [](Json& d) { d["meshes"][0]["primitives"][0]["attributes"]["NORMAL"] = 99; }, "accessor 99"},
        {"a negative attribute", [](Json& d) { d["meshes"][0]["primitives"][0]["attributes"]["NORMAL"] = -3; }, "accessor -3"},
        {"a skin joint out of range", [](Json& d) { d["skins"][0]["joints"] = {0, 9}; }, "joint node 9"},
        {"an empty skin", [](Json& d) { d["skins"][0]["joints"] = Json::array(); }, "no joints"},
        {"too few inverse binds", [](Json& d) { d["accessors"][6]["count"] = 1; }, "1 inverse bind matrices for 2"},
        {"a sampler out of range", [](Json& d) { d["animations"][0]["channels"][0]["sampler"] = 7; }, "sampler"},
        {"keys and values disagree", [](Json& d) { d["accessors"][8]["count"] = 1; }, "key times and 1 values"},
        {"a buffer out of range", [](Json& d) { d["bufferViews"][0]["buffer"] = 5; }, "buffer"},
        {"JOINTS_1 alone", [](Json& d) { d["meshes"][0]["primitives"][0]["attributes"]["JOINTS_1"] = 3; }, "no WEIGHTS_1"},
        {"no WEIGHTS_0", [](Json& d) { d["meshes"][0]["primitives"][0]["attributes"].erase("WEIGHTS_0"); }, "no WEIGHTS_0"},
    };
    for (const Mutation& mutation : mutations) {
        Json document = rig;
        mutation.apply(document);
        const std::string reason = Refusal(temp, document);
        EXPECT_NE(reason.find(mutation.reason), std::string::npos) << mutation.what << ": " << reason;
    }
}

TEST(GltfInputTest, ContainersAndNestingAreCheckedBeforeParsing) {
    brmath_test::TempFolder temp;
    md5tool::ExportOptions options;
    options.mesh = brmath_test::TestDataPath("rig/rig.md5mesh");
    options.output = temp.File("rig.glb");
    std::ostringstream out, err;
    ASSERT_EQ(md5tool::Export(options, out, err), md5tool::kSuccess);
    std::string glb = brmath_test::ReadFileBytes(options.output);
    // The BIN chunk's length, 8 bytes more than the file holds.
    const size_t bin = 20 + static_cast<unsigned char>(glb[12]) + 256 * static_cast<unsigned char>(glb[13]);
    glb[bin] = static_cast<char>(static_cast<unsigned char>(glb[bin]) + 8);
    convert::GltfScene scene;
    std::string error;
    EXPECT_FALSE(brmath_test::LoadScene(scene, temp.Write("long-bin.glb", glb), &error));
    EXPECT_NE(error.find("GLB chunk 1 claims"), std::string::npos) << error;
    EXPECT_FALSE(brmath_test::LoadScene(scene, temp.Write("short.GLB", glb.substr(0, glb.size() - 4)), &error));
    EXPECT_NE(error.find("the file has"), std::string::npos) << error;

    EXPECT_FALSE(brmath_test::LoadScene(scene, temp.Write("deep.gltf", std::string(20000, '[') + std::string(20000, ']')), &error));
    EXPECT_NE(error.find("nested more than"), std::string::npos) << error;

    // A chain of 65 536 joints is checked and posed in linear time.
    Json chain = ExportRig(temp);
    chain["skins"][0].erase("inverseBindMatrices");
    const int first = static_cast<int>(chain["nodes"].size());
    for (int n = first; n < first + 65536; ++n) {
        chain["nodes"].push_back({{"name", "j" + std::to_string(n)}, {"translation", {0, 0.001, 0}}});
        chain["nodes"][n == first ? 1 : n - 1]["children"].push_back(n);
        chain["skins"][0]["joints"].push_back(n);
    }
    EXPECT_EQ(Refusal(temp, chain), "");
}

TEST(GltfInputTest, BufferUrisStayInsideTheFolderAndNameRegularFiles) {
    brmath_test::TempFolder temp;
    const std::string inside = temp.MakeSubfolder("model");
    const Json rig = ExportRig(temp, "model/rig.gltf");
    std::filesystem::copy_file(inside + "/rig.bin", temp.File("outside.bin"));
    std::filesystem::create_directory(inside + "/folder.bin");
    ASSERT_EQ(mkfifo((inside + "/pipe.bin").c_str(), 0600), 0);
    ASSERT_EQ(mkfifo((inside + "/pipe.glb").c_str(), 0600), 0);
    std::filesystem::copy_file(inside + "/rig.bin", inside + "/a b.bin");
    std::filesystem::create_symlink(temp.File("outside.bin"), inside + "/link.bin");
    // Each refused with why, not as a file that is not there.
    const std::vector<std::pair<std::string, std::string>> elsewhere = {
        {"../outside.bin", "leads out of the glTF's folder"}, {"%2e%2e/outside.bin", "leads out of the glTF's folder"},
        {temp.File("outside.bin"), ""}, {"folder.bin", "not a regular file"}, {"pipe.bin", "not a regular file"},
        {"link.bin", "a symbolic link that leads out"}, {"missing.bin", ""}, {"../../../../../../../../etc/passwd", ""}};
    for (const auto& [uri, why] : elsewhere) {
        Json document = rig;
        document["buffers"][0]["uri"] = uri;
        const std::string refusal = Refusal(temp, document, "model/mutated.gltf");
        EXPECT_NE(refusal, "") << uri;
        EXPECT_NE(refusal.find(why), std::string::npos) << uri << ": " << refusal;
    }
    Json spaced = rig;
    spaced["buffers"][0]["uri"] = "a%20b.bin";
    spaced["images"] = {{{"uri", "data:image/png;base64,iVBORw0KGgo="}}};  // skipped, not decoded
    EXPECT_EQ(Refusal(temp, spaced, "model/spaced.gltf"), "");
    convert::GltfScene scene;
    std::string error;
    EXPECT_FALSE(brmath_test::LoadScene(scene, inside + "/pipe.glb", &error));
    EXPECT_EQ(error, "not a regular file");
    EXPECT_FALSE(brmath_test::LoadScene(scene, inside, &error));
    EXPECT_EQ(error, "not a regular file");
}
