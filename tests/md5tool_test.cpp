// md5tool's commands, run in process on the bundled sample and on files the tests write.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "actor/actor.h"
#include "commands.h"
#include "support/corpus.h"
#include "support/float_bits.h"
#include "support/md5tool_run.h"
#include "support/png_pixels.h"
#include "support/sample_models.h"
#include "support/temp_folder.h"


namespace {

const std::string kSampleMesh = std::string(BRMATH_SAMPLES_DIR) + "/robot/robot.md5mesh";

using Result = brmath_test::ToolRun;
const auto Tool = brmath_test::RunMd5tool;

using brmath_test::ReadPng;

using Json = nlohmann::basic_json<std::map, std::vector, std::string, bool, std::int64_t, std::uint64_t, float>;

float AsFloat(const Json& value) {
    if (value.is_string()) {
        const std::string text = value.get<std::string>();
        if (text == "nan") return NAN;
        return text == "inf" ? INFINITY : -INFINITY;
    }
    return value.get<float>();
}

bool SameFloat(const Json& value, float expected) {
    const float actual = AsFloat(value);
    return std::isnan(expected) ? std::isnan(actual) : brmath_test::Bits(actual) == brmath_test::Bits(expected);
}

}  // namespace

TEST(Md5ToolTest, UsageErrorsAndHelp) {
    EXPECT_EQ(Tool({}).status, md5tool::kBadUsage);
    EXPECT_EQ(Tool({"frobnicate"}).status, md5tool::kBadUsage);
    EXPECT_EQ(Tool({"info"}).status, md5tool::kBadUsage);
    EXPECT_EQ(Tool({"render", kSampleMesh}).status, md5tool::kBadUsage);  // no -o
    EXPECT_EQ(Tool({"render", kSampleMesh, "--size", "big", "-o", "x.png"}).status, md5tool::kBadUsage);
    EXPECT_EQ(Tool({"render", kSampleMesh, "--frames", "5:2", "-o", "x.png"}).status, md5tool::kBadUsage);
    EXPECT_EQ(Tool({"render", kSampleMesh, "--frame", "1", "--frames", "0:4", "-o", "x.png"}).status,
              md5tool::kBadUsage);
    for (const char* command : {"info", "check", "pose", "render"}) {
        const Result help = Tool({command, "--help"});
        EXPECT_EQ(help.status, md5tool::kSuccess) << command;
        EXPECT_NE(help.out.find("Usage"), std::string::npos) << command;
    }
    EXPECT_EQ(Tool({"--help"}).status, md5tool::kSuccess);
}

TEST(Md5ToolTest, InfoShowsTheSample) {
    const Result result = Tool({"info", kSampleMesh});
    ASSERT_EQ(result.status, md5tool::kSuccess) << result.err;
    EXPECT_NE(result.out.find("23 joints, 2 meshes, 3 clips"), std::string::npos);
    EXPECT_NE(result.out.find("      2 spine"), std::string::npos);  // pelvis's child, indented under it
    EXPECT_NE(result.out.find("1 walk: 32 frames at 24 fps, 23 tracks"), std::string::npos);
    EXPECT_NE(result.out.find("bind pose bounds"), std::string::npos);
    EXPECT_EQ(Tool({"info", "no/such/file.md5mesh"}).status, md5tool::kBadInput);
}

TEST(Md5ToolTest, CheckAcceptsTheSampleAndNamesReasons) {
    const std::string folder = std::string(BRMATH_SAMPLES_DIR) + "/robot/";
    const Result good = Tool({"check", folder + "robot.md5mesh", folder + "walk.md5anim"});
    EXPECT_EQ(good.status, md5tool::kSuccess) << good.out << good.err;
    EXPECT_NE(good.out.find("robot.md5mesh: OK: 23 joints, 2 meshes"), std::string::npos);
    EXPECT_NE(good.out.find("walk.md5anim: OK: 32 frames at 24 fps, 23 tracks, every track names a joint"),
              std::string::npos);

    brmath_test::TempFolder temp;
    std::string mesh = brmath_test::kRigMesh;
    mesh.replace(mesh.find("tri 0 0 1 2"), 11, "tri 0 0 1 9");
    const std::string bad = temp.Write("bad.md5mesh", mesh);
    std::string clip = brmath_test::kTwoFrameHipClip;
    clip.replace(clip.find("0.7 0.8"), 7, "0.7");
    const std::string badClip = temp.Write("short.md5anim", clip);
    const Result result = Tool({"check", bad, badClip});
    EXPECT_EQ(result.status, md5tool::kBadInput);
    EXPECT_NE(result.out.find(bad + ":22: error: expected a vertex index from 0 to 2, found 9"), std::string::npos)
        << result.out;
    EXPECT_NE(result.out.find(badClip + ":"), std::string::npos);
    EXPECT_NE(result.out.find("expected an animated component, found \"}\""), std::string::npos) << result.out;
    EXPECT_EQ(Tool({"check", temp.Write("notes.txt", "hello")}).status, md5tool::kBadInput);
}

TEST(Md5ToolTest, PoseJsonReadsBackAsTheExactState) {
    const Result result = Tool({"pose", kSampleMesh, "--clip", "1", "--frame", "5", "--frame", "-3", "--json"});
    ASSERT_EQ(result.status, md5tool::kSuccess) << result.err;
    const Json document = Json::parse(result.out);
    ASSERT_EQ(document["states"].size(), 2u);

    brmath::Actor actor;
    ASSERT_TRUE(actor.LoadMesh(kSampleMesh.c_str()));
    ASSERT_TRUE(actor.SetAnimation(1));
    const int frames[] = {5, -3};
    for (int s = 0; s < 2; ++s) {
        actor.ProceedAnimation(frames[s]);
        const Json& state = document["states"][s];
        EXPECT_EQ(state["frame"].get<int>(), frames[s]);
        for (int j = 0; j < actor.jointCount; ++j) {
            for (int i = 0; i < 16; ++i) {
                ASSERT_TRUE(SameFloat(state["joints"][j]["matrix"][i], actor.joints[j].matrix.m[i]));
            }
        }
        int mismatches = 0;
        for (int m = 0; m < actor.meshCount; ++m) {
            for (int v = 0; v < actor.meshes[m].vertexCount; ++v) {
                const brmath::MeshVertex& vertex = actor.meshes[m].vertices[v];
                const Json& written = state["meshes"][m]["vertices"][v];
                const brmath::Vector3* fields[] = {&vertex.position, &vertex.normal, &vertex.tangent,
                                                   &vertex.bitangent, &vertex.tangentNormal};
                const char* names[] = {"position", "normal", "tangent", "bitangent", "tangentNormal"};
                for (int f = 0; f < 5; ++f) {
                    for (int k = 0; k < 3; ++k) mismatches += SameFloat(written[names[f]][k], (*fields[f])[k]) ? 0 : 1;
                }
                mismatches += SameFloat(written["texCoord"][1], vertex.texCoord.y) ? 0 : 1;
            }
        }
        EXPECT_EQ(mismatches, 0);
        const Json& render = state["render"];
        EXPECT_EQ(render["result"].get<int>(), 3 * actor.meshes[1].triangleCount);
        EXPECT_EQ(render["calls"][0]["call"].get<std::string>(), "SetVertexShader");
        EXPECT_EQ(render["calls"][0]["handle"].get<int>(), 0x112);
        // The first corner of the first triangle, y and z exchanged.
        const brmath::MeshVertex& corner = actor.meshes[0].vertices[actor.meshes[0].triangles[0].indices[0]];
        const Json& first = render["calls"][1]["vertices"][0];
        EXPECT_TRUE(SameFloat(first[1], corner.position.z));
        EXPECT_TRUE(SameFloat(first[2], corner.position.y));
    }
}

TEST(Md5ToolTest, PoseWritesNonFiniteValuesAsStrings) {
    brmath_test::TempFolder temp;
    // Collinear texture coordinates give an infinite tangent frame.
    std::string mesh = brmath_test::kRigMesh;
    mesh.replace(mesh.find("vert 2 ( 0 1 )"), 14, "vert 2 ( 2 0 )");
    const Result result = Tool({"pose", temp.Write("flat.md5mesh", mesh), "--json"});
    ASSERT_EQ(result.status, md5tool::kSuccess) << result.err;
    EXPECT_TRUE(result.out.find("\"inf\"") != std::string::npos || result.out.find("\"nan\"") != std::string::npos ||
                result.out.find("\"-inf\"") != std::string::npos);
    EXPECT_NO_THROW(Json::parse(result.out));
    EXPECT_EQ(Tool({"pose", kSampleMesh, "--clip", "7", "--frame", "0"}).status, md5tool::kBadInput);
}

TEST(Md5ToolTest, RenderDrawsTheModelAndFramesDiffer) {
    brmath_test::TempFolder temp;
    const std::string first = temp.File("walk0.png"), second = temp.File("walk8.png");
    const Result a = Tool({"render", kSampleMesh, "--clip", "1", "--frame", "0", "--size", "160x200", "-o", first});
    const Result b = Tool({"render", kSampleMesh, "--clip", "1", "--frame", "8", "--size", "160x200", "-o", second});
    ASSERT_EQ(a.status, md5tool::kSuccess) << a.err;
    ASSERT_EQ(b.status, md5tool::kSuccess) << b.err;
    double coverage = 0;
    ASSERT_EQ(std::sscanf(a.out.substr(a.out.find("covers ")).c_str(), "covers %lf%%", &coverage), 1);
    EXPECT_GT(coverage, 3.0);
    EXPECT_LT(coverage, 60.0);

    int w1 = 0, h1 = 0, w2 = 0, h2 = 0;
    const std::vector<unsigned char> p1 = ReadPng(first, &w1, &h1), p2 = ReadPng(second, &w2, &h2);
    ASSERT_EQ(w1, 160);
    ASSERT_EQ(h1, 200);
    ASSERT_EQ(p1.size(), p2.size());
    int different = 0;
    for (size_t i = 0; i < p1.size(); i += 3) different += std::memcmp(&p1[i], &p2[i], 3) != 0 ? 1 : 0;
    EXPECT_GT(different, w1 * h1 / 100);  // the legs moved

    const std::string sheet = temp.File("sheet.png");
    const Result c = Tool({"render", kSampleMesh, "--frames", "0:60:10", "--size", "64x64", "--supersample", "1", "-o",
                          sheet});
    ASSERT_EQ(c.status, md5tool::kSuccess) << c.err;
    int sw = 0, sh = 0;
    EXPECT_FALSE(ReadPng(sheet, &sw, &sh).empty());
    EXPECT_EQ(sw, 4 * 64 + 3 * 4);  // six frames: four columns, two rows
    EXPECT_EQ(sh, 2 * 64 + 4);

    EXPECT_EQ(Tool({"render", temp.File("missing.md5mesh"), "-o", first}).status, md5tool::kBadInput);
    EXPECT_EQ(Tool({"render", kSampleMesh, "--clip", "9", "-o", first}).status, md5tool::kBadInput);
    EXPECT_EQ(Tool({"render", kSampleMesh, "-o", temp.File("no/such/folder/x.png")}).status, md5tool::kBadInput);
}

TEST(SampleTest, NormalsPointOutwards) {
    brmath::Actor actor;
    ASSERT_TRUE(actor.LoadMesh(kSampleMesh.c_str()));
    // The highest and lowest vertices of the model face up and down.
    const brmath::MeshVertex* top = nullptr;
    const brmath::MeshVertex* bottom = nullptr;
    for (int m = 0; m < actor.meshCount; ++m) {
        for (int v = 0; v < actor.meshes[m].vertexCount; ++v) {
            const brmath::MeshVertex& vertex = actor.meshes[m].vertices[v];
            if (top == nullptr || vertex.position.z > top->position.z) top = &vertex;
            if (bottom == nullptr || vertex.position.z < bottom->position.z) bottom = &vertex;
        }
    }
    ASSERT_NE(top, nullptr);
    EXPECT_GT(top->normal.z, 0.5f);
    EXPECT_LT(bottom->normal.z, -0.5f);
}

TEST(Md5ToolTest, CheckNamesTheReasonForEveryCorpusFile) {
    for (const brmath_test::CorpusEntry& entry : brmath_test::MalformedCorpus()) {
        if (entry.loads) continue;
        const Result result = Tool({"check", entry.file, "--mesh", brmath_test::TestDataPath("rig/rig.md5mesh")});
        EXPECT_EQ(result.status, md5tool::kBadInput) << entry.file;
        const std::string expected = entry.file + ":" + std::to_string(entry.line) + ": error: ";
        EXPECT_NE(result.out.find(expected), std::string::npos) << result.out;
        EXPECT_NE(result.out.find(entry.reason), std::string::npos) << result.out;
    }
}

TEST(Md5ToolTest, InfoAndCheckSayWhatTheLibraryLeftOut) {
    brmath_test::TempFolder temp;
    // A truncated clip, a track naming no joint, and a mesh block past numMeshes.
    temp.Write("a.md5anim", brmath_test::kTwoFrameHipClip.substr(0, brmath_test::kTwoFrameHipClip.find("frame 1")));
    temp.Write("b.md5anim", brmath_test::ReplaceOnce(brmath_test::kTwoFrameHipClip, "\"hip\"", "\"knee\""));
    const std::string mesh = temp.Write(
        "rig.md5mesh", brmath_test::kRigMesh + "mesh {\n shader \"extra\"\n numverts 0 numtris 0 numweights 0\n}\n");
    const Result info = Tool({"info", mesh});
    EXPECT_EQ(info.status, md5tool::kSuccess);
    EXPECT_NE(info.out.find(temp.File("a.md5anim") + ":25: warning: clip left out: expected \"{\" opening a frame"),
              std::string::npos) << info.out;
    EXPECT_NE(info.out.find(temp.File("b.md5anim") + ":11: warning: track \"knee\" names no joint"), std::string::npos);
    EXPECT_NE(info.out.find(mesh + ":30: warning: a \"mesh\" block past numMeshes 1, not read"), std::string::npos);
    EXPECT_NE(info.out.find("0 b: 2 frames"), std::string::npos);  // the surviving clip is clip 0
    EXPECT_EQ(Tool({"info", "--strict", mesh}).status, md5tool::kBadInput);
    EXPECT_EQ(Tool({"check", "--strict", mesh}).status, md5tool::kBadInput);

    // A clip beside two meshes is read against the one its name begins with, or
    // the one named, and never against a guess.
    temp.Write("other.md5mesh", brmath_test::kRigMesh);
    const std::string clip = temp.Write("rig_walk.md5anim", brmath_test::kTwoFrameHipClip);
    const Result chosen = Tool({"check", clip});
    EXPECT_EQ(chosen.status, md5tool::kSuccess) << chosen.err;
    EXPECT_NE(chosen.out.find("every track names a joint of " + mesh), std::string::npos) << chosen.out;
    const std::string walk = temp.Write("walk.md5anim", brmath_test::kTwoFrameHipClip);
    EXPECT_EQ(Tool({"check", walk}).status, md5tool::kBadUsage);
    const Result named = Tool({"check", walk, "--mesh", mesh});
    EXPECT_EQ(named.status, md5tool::kSuccess) << named.err;

    // A version line other than 10 in version 10's layout loads, and is said.
    temp.MakeSubfolder("v6");
    const std::string v6 = temp.Write("v6/rig.md5mesh", brmath_test::ReplaceOnce(brmath_test::kRigMesh, "10", "6"));
    const Result old = Tool({"check", "--strict", v6});
    EXPECT_EQ(old.status, md5tool::kBadInput);
    EXPECT_NE(old.out.find(v6 + ":1: warning: MD5Version 6: read as version 10"), std::string::npos) << old.out;
}

TEST(Md5ToolTest, RenderWritesWholeFilesOrNothing) {
    brmath_test::TempFolder temp;
    const Result full = Tool({"render", kSampleMesh, "--size", "32x32", "-o", "/dev/full"});
    EXPECT_EQ(full.status, md5tool::kBadInput);
    EXPECT_NE(full.err.find("No space left on device"), std::string::npos) << full.err;
    const Result piped = Tool({"render", kSampleMesh, "--size", "32x32", "-o", "-"});
    EXPECT_EQ(piped.status, md5tool::kSuccess);
    EXPECT_EQ(piped.out.compare(0, 8, "\x89PNG\r\n\x1a\n"), 0);

    for (const std::vector<std::string>& absurd :
         {std::vector<std::string>{"--yaw", "nan"}, {"--pitch", "inf"}, {"--yaw", "1e300"}, {"--size", "8192x8192"}}) {
        std::vector<std::string> args = {"render", kSampleMesh, "-o", temp.File("x.png")};
        args.insert(args.end(), absurd.begin(), absurd.end());
        EXPECT_EQ(Tool(args).status, md5tool::kBadUsage) << absurd[0];
    }
    EXPECT_TRUE(std::filesystem::is_empty(temp.Path()));
}

TEST(Md5ToolTest, RenderWritesSequencesAndAnimatedPngs) {
    brmath_test::TempFolder temp;
    const Result sequence = Tool({"render", kSampleMesh, "--clip", "1", "--frames", "0:6:3", "--size", "32x32",
                                  "--progress", "-o", temp.File("walk-%03d.png")});
    ASSERT_EQ(sequence.status, md5tool::kSuccess) << sequence.err;
    EXPECT_NE(sequence.err.find("frame 2 of 2"), std::string::npos);
    int width = 0, height = 0;
    EXPECT_FALSE(ReadPng(temp.File("walk-003.png"), &width, &height).empty());

    const std::string animated = temp.File("walk.png");
    ASSERT_EQ(Tool({"render", kSampleMesh, "--clip", "1", "--frames", "0:32:2", "--size", "32x32", "--apng", "-o",
                    animated}).status,
              md5tool::kSuccess);
    const std::string bytes = brmath_test::ReadFileBytes(animated);
    // 16 frames, each shown for 2/24 s: the frame controls hold delay 2 over 24.
    EXPECT_EQ(bytes.find(std::string("acTL\0\0\0\x10", 8)) != std::string::npos, true);
    EXPECT_NE(bytes.find(std::string("\0\x02\0\x18", 4)), std::string::npos);
    EXPECT_FALSE(ReadPng(animated, &width, &height).empty());  // a still viewer shows frame 0

    const std::string column = temp.File("column.png");
    ASSERT_EQ(Tool({"render", kSampleMesh, "--frames", "0:3", "--columns", "1", "--size", "32x32", "-o", column}).status,
              md5tool::kSuccess);
    ReadPng(column, &width, &height);
    EXPECT_EQ(width, 32);
    EXPECT_EQ(height, 3 * 32 + 2 * 4);
}

TEST(SoftwareDeviceTest, AnyTextureCoordinateDraws) {
    // Huge and non-finite texture coordinates pick a checker square without overflow.
    brmath_test::TempFolder temp;
    std::string mesh = brmath_test::ReplaceOnce(brmath_test::kRigMesh, "vert 1 ( 1 0 )", "vert 1 ( 1e30 -3e38 )");
    mesh = brmath_test::ReplaceOnce(mesh, "vert 2 ( 0 1 )", "vert 2 ( nan inf )");
    EXPECT_EQ(Tool({"render", temp.Write("odd.md5mesh", mesh), "--size", "32x32", "-o", temp.File("odd.png")}).status,
              md5tool::kSuccess);
}

TEST(Md5ToolTest, HostileNamesDepthsAndCountsStayBounded) {
    brmath_test::TempFolder temp;
    // A Latin-1 joint name: JSON and glTF get U+FFFD for its invalid byte, and a warning.
    temp.MakeSubfolder("latin1");
    const std::string latin1 = temp.Write("latin1/rig.md5mesh", brmath_test::ReplaceOnce(brmath_test::kRigMesh, "origin", "orig\xe9n"));
    const Result json = Tool({"pose", "--json", latin1});
    EXPECT_EQ(json.status, md5tool::kSuccess) << json.err;
    EXPECT_EQ(Json::parse(json.out)["states"][0]["joints"][0]["name"], "orig\xef\xbf\xbdn");
    EXPECT_NE(json.err.find("not UTF-8"), std::string::npos);
    const Result exported = Tool({"export", latin1, "-o", temp.File("latin1.glb")});
    EXPECT_EQ(exported.status, md5tool::kSuccess) << exported.err;
    EXPECT_NE(exported.err.find("not UTF-8"), std::string::npos);

    // A chain of 20 000 joints prints a line a joint, indented at most 32 levels.
    std::string chain = "MD5Version 10\nnumJoints 20000\nnumMeshes 0\njoints {\n";
    for (int j = 0; j < 20000; ++j) chain += "\"j" + std::to_string(j) + "\" " + std::to_string(j - 1) + " ( 0 0 1 ) ( 0 0 0 )\n";
    temp.MakeSubfolder("chain");
    const Result tree = Tool({"info", temp.Write("chain/chain.md5mesh", chain + "}\n")});
    EXPECT_EQ(tree.status, md5tool::kSuccess) << tree.err;
    EXPECT_LT(tree.out.size(), 2000000u);
    EXPECT_NE(tree.out.find("\n" + std::string(66, ' ') + "(depth 19999) 19999 j19999\n"), std::string::npos);

    // 100 000 surplus mesh blocks: 20 warnings and a count of the rest.
    std::string surplus = brmath_test::kRigMesh;
    for (int m = 0; m < 100000; ++m) surplus += "mesh {}\n";
    temp.MakeSubfolder("surplus");
    const Result many = Tool({"check", temp.Write("surplus/rig.md5mesh", surplus)});
    EXPECT_NE(many.out.find(":49: warning: a \"mesh\" block past numMeshes 1"), std::string::npos);
    EXPECT_EQ(many.out.find(":50: warning: a \"mesh\" block"), std::string::npos);
    EXPECT_NE(many.out.find("warning: and 99980 more records or blocks past a declared count"), std::string::npos);

    // Output that cannot be written, and a --mesh that does not load, fail.
    std::ostringstream full;
    full.setstate(std::ios::badbit);
    std::ostringstream err;
    EXPECT_EQ(md5tool::Run({"md5tool", "info", kSampleMesh}, full, err), md5tool::kBadInput);
    EXPECT_NE(err.str().find("cannot write to standard output"), std::string::npos);
    const std::string clip = temp.Write("latin1/walk.md5anim", brmath_test::kTwoFrameHipClip);
    EXPECT_EQ(Tool({"check", clip, "--mesh", temp.File("missing.md5mesh")}).status, md5tool::kBadInput);
}

TEST(Md5ToolTest, KeywordsTakenFromCommentsOrQuotedTextsAreSaid) {
    brmath_test::TempFolder temp;
    const std::string clip = temp.Write(
        "walk.md5anim", brmath_test::ReplaceOnce(brmath_test::kTwoFrameHipClip, "frameRate 24", "// frameRate 60\nframeRate 24"));
    const std::string mesh = temp.Write(
        "rig.md5mesh", brmath_test::ReplaceOnce(brmath_test::kRigMesh, "// meshes: body", "// shader \"old\""));
    const Result checked = Tool({"check", "--strict", mesh, clip});
    EXPECT_EQ(checked.status, md5tool::kBadInput);
    EXPECT_NE(checked.out.find(mesh + ":13: warning: \"shader\" was taken from inside a // comment"), std::string::npos)
        << checked.out;
    EXPECT_NE(checked.out.find(clip + ":6: warning: \"frameRate\" was taken from inside a // comment"),
              std::string::npos) << checked.out;
    EXPECT_NE(checked.out.find("60 fps"), std::string::npos);  // the library's defined reading, kept
}

TEST(Md5ToolTest, OutputNamesAndFilesKeepTheirShape) {
    brmath_test::TempFolder temp;
    const auto render = [&](std::vector<std::string> extra) {
        std::vector<std::string> args = {"render", kSampleMesh, "--size", "16x16", "--supersample", "1"};
        args.insert(args.end(), extra.begin(), extra.end());
        return Tool(args).status;
    };
    // Fields too wide to be names, sizes and frame lists with anything after them.
    EXPECT_EQ(render({"--frames", "0:3", "-o", temp.File("seq-%050d.png")}), md5tool::kBadUsage);
    EXPECT_EQ(render({"--size", "4294967312x16", "-o", temp.File("a.png")}), md5tool::kBadUsage);
    EXPECT_EQ(render({"--frames", "0:4:", "-o", temp.File("a.png")}), md5tool::kBadUsage);
    ASSERT_EQ(render({"--frames", "0:2", "-o", temp.File("seq-%016d.png")}), md5tool::kSuccess);
    EXPECT_TRUE(std::filesystem::exists(temp.File("seq-0000000000000001.png")));
    ASSERT_EQ(render({"-o", temp.File("100%%.png")}), md5tool::kSuccess);
    EXPECT_TRUE(std::filesystem::exists(temp.File("100%.png")));
    // A name of 250 characters; an existing file keeps its mode, a symbolic link stays one.
    ASSERT_EQ(render({"-o", temp.File(std::string(246, 'n') + ".png")}), md5tool::kSuccess);
    const std::string kept = temp.Write("kept.png", "old");
    std::filesystem::permissions(kept, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                                           std::filesystem::perms::group_read);
    std::filesystem::create_symlink(kept, temp.File("link.png"));
    ASSERT_EQ(render({"-o", temp.File("link.png")}), md5tool::kSuccess);
    EXPECT_TRUE(std::filesystem::is_symlink(temp.File("link.png")));
    EXPECT_EQ(std::filesystem::status(kept).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write | std::filesystem::perms::group_read);
    EXPECT_NE(brmath_test::ReadFileBytes(kept), "old");

    // Export: the buffer's URI is percent-encoded; a .gltf that cannot be written leaves
    // no .bin; a model without joints is a static mesh; an upper-case .GLB is glTF.
    const std::string rig = brmath_test::TestDataPath("rig/rig.md5mesh");
    ASSERT_EQ(Tool({"export", rig, "-o", temp.File("a%41.gltf")}).status, md5tool::kSuccess);
    EXPECT_EQ(Json::parse(brmath_test::ReadFileBytes(temp.File("a%41.gltf")))["buffers"][0]["uri"], "a%2541.bin");
    std::filesystem::create_directory(temp.File("folder.gltf"));
    EXPECT_EQ(Tool({"export", rig, "-o", temp.File("folder.gltf")}).status, md5tool::kBadInput);
    EXPECT_FALSE(std::filesystem::exists(temp.File("folder.bin")));
    temp.MakeSubfolder("static");
    const std::string still = temp.Write("static/still.md5mesh",
                                         "MD5Version 10\nnumJoints 0\nnumMeshes 1\njoints {\n}\nmesh {\nshader \"s\"\n"
                                         "numverts 3\nvert 0 ( 0 0 ) 0 0\nvert 1 ( 1 0 ) 0 0\nvert 2 ( 0 1 ) 0 0\n"
                                         "numtris 1\ntri 0 0 1 2\nnumweights 0\n}\n");
    ASSERT_EQ(Tool({"export", still, "-o", temp.File("still.gltf"), "--embed"}).status, md5tool::kSuccess);
    const Json staticMesh = Json::parse(brmath_test::ReadFileBytes(temp.File("still.gltf")));
    EXPECT_EQ(staticMesh["meshes"].size(), 1u);
    EXPECT_EQ(staticMesh["meshes"][0]["primitives"][0]["attributes"].count("JOINTS_0"), 0u);
    ASSERT_EQ(Tool({"export", rig, "-o", temp.File("R.GLB")}).status, md5tool::kSuccess);
    EXPECT_EQ(render({"-o", temp.File("r.png")}), md5tool::kSuccess);
    EXPECT_EQ(Tool({"render", temp.File("R.GLB"), "--size", "16x16", "-o", temp.File("r.png")}).status, md5tool::kSuccess);
    EXPECT_EQ(Tool({"export", rig, "-o", temp.File("x.glb"), "--scale", "1e40"}).status, md5tool::kBadUsage);
}

TEST(Md5ToolTest, ExportShowsInAnyViewer) {
    brmath_test::TempFolder temp;
    // The rig with its shader's image, a 2x2 TGA (top row red and green, bottom row
    // blue and white), and two clips whose names differ only past a dot.
    temp.Write("rig.md5mesh", brmath_test::kRigMesh);
    temp.MakeSubfolder("models");
    const unsigned char tga[18 + 12] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 2, 0, 24, 0x20,
                                        0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255};
    temp.Write("models/body.tga", std::string(reinterpret_cast<const char*>(tga), sizeof(tga)));
    temp.Write("walk.fast.md5anim", brmath_test::kTwoFrameHipClip);
    temp.Write("walk.slow.md5anim", brmath_test::kTwoFrameHipClip);
    const Result exported = Tool({"export", temp.File("rig.md5mesh"), "-o", temp.File("out.gltf")});
    ASSERT_EQ(exported.status, md5tool::kSuccess) << exported.err;
    const Json document = Json::parse(brmath_test::ReadFileBytes(temp.File("out.gltf")));
    const Json& pbr = document["materials"][0]["pbrMetallicRoughness"];
    EXPECT_EQ(pbr["metallicFactor"], 0.0f);
    EXPECT_EQ(pbr["baseColorTexture"]["index"], 0);
    EXPECT_EQ(document["images"][0]["uri"], "out_body.png");
    int width = 0, height = 0;
    const std::vector<unsigned char> pixels = ReadPng(temp.File("out_body.png"), &width, &height);
    EXPECT_EQ(pixels, (std::vector<unsigned char>{255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255}));
    EXPECT_EQ(document["animations"][0]["name"], "walk.fast");
    EXPECT_EQ(document["animations"][1]["name"], "walk.slow");
    // Embedded in a .glb: the image travels in the buffer.
    ASSERT_EQ(Tool({"export", temp.File("rig.md5mesh"), "-o", temp.File("out.glb")}).status, md5tool::kSuccess);
    const std::string glb = brmath_test::ReadFileBytes(temp.File("out.glb"));
    EXPECT_NE(glb.find("\"mimeType\":\"image/png\""), std::string::npos);
}

// What a new user met, command by command: one message format, clip names and counts
// said one way, limits given, options that do nothing said.
TEST(Md5ToolTest, InfoCheckAndPoseSayThingsOneWay) {
    brmath_test::TempFolder temp;
    temp.MakeSubfolder("m");
    const std::string mesh = temp.Write("m/m.md5mesh", brmath_test::ReplaceOnce(brmath_test::kRigMesh, "origin", "orig\xe9n"));
    temp.Write("m/walk.fast.md5anim", brmath_test::ReplaceOnce(brmath_test::kTwoFrameHipClip, "origin", "orig\xe9n"));
    const Result info = Tool({"info", mesh});
    EXPECT_NE(info.out.find("2 joints, 1 mesh, 1 clip\n"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("0 walk.fast: 2 frames"), std::string::npos) << info.out;  // the file's name, as export's
    EXPECT_NE(info.out.find("not UTF-8"), std::string::npos);                           // so --strict fails
    EXPECT_EQ(Tool({"info", "--strict", mesh}).status, md5tool::kBadInput);
    const Result check = Tool({"check", mesh});
    EXPECT_NE(check.out.find("OK: 2 joints, 1 mesh, 3 vertices, 1 triangle, 4 weights, 1 clip"), std::string::npos)
        << check.out;
    EXPECT_NE(check.out.find("not UTF-8"), std::string::npos);
    EXPECT_EQ(Json::parse(Tool({"pose", mesh, "--json", "--frame", "0"}).out)["clipName"], "walk.fast");

    // A file the library refuses: FILE:LINE: error: ... from every command.
    const std::string bad = temp.Write("bad.md5mesh", brmath_test::ReplaceOnce(brmath_test::kRigMesh, "tri 0 0 1 2", "tri 0 0 1 9"));
    for (const char* command : {"info", "pose", "export"}) {
        const Result refused = Tool({command, bad, "-o", temp.File("x.glb")});
        const Result plain = std::string(command) == "export" ? refused : Tool({command, bad});
        EXPECT_EQ(plain.err.rfind(bad + ":22: error: expected a vertex index", 0), 0u) << command << ": " << plain.err;
    }
    EXPECT_NE(Tool({"pose", kSampleMesh, "--clip", "7"}).err.find("no clip 7 (its clips are 0 to 2)"), std::string::npos);

    // Help, with the exit statuses, that cannot be written fails.
    EXPECT_NE(Tool({"check", "--help"}).out.find("Exit status: 0 success"), std::string::npos);
    std::ostringstream full, err;
    full.setstate(std::ios::badbit);
    EXPECT_EQ(md5tool::Run({"md5tool", "info", "--help"}, full, err), md5tool::kBadInput);
}

TEST(Md5ToolTest, RenderGivesItsLimitsAndSaysWhatDoesNothing) {
    brmath_test::TempFolder temp;
    const std::string help = Tool({"render", "--help"}).out;
    for (const char* limit : {"16 to 8192", "-360 to 360", "-89 to 89", "at most 16 digits"}) {
        EXPECT_NE(help.find(limit), std::string::npos) << limit;
    }
    const Result wide = Tool({"render", kSampleMesh, "--frames", "0:2", "-o", temp.File("v%017d.png")});
    EXPECT_EQ(wide.status, md5tool::kBadUsage);
    EXPECT_NE(wide.err.find("at most 16 digits"), std::string::npos) << wide.err;
    const std::string rig = brmath_test::TestDataPath("rig/rig.md5mesh");
    const Result clamped = Tool({"render", rig, "--frames", "0:6", "--columns", "10", "--size", "16x16", "-o", temp.File("s.png")});
    EXPECT_NE(clamped.err.find("--columns 10 with 6 frames: the sheet has 6 columns"), std::string::npos) << clamped.err;
    const Result single = Tool({"render", rig, "--columns", "3", "--size", "16x16", "-o", temp.File("one.png")});
    EXPECT_NE(single.err.find("no effect on one frame"), std::string::npos) << single.err;

    // The static glTF export writes for a model without joints draws.
    temp.MakeSubfolder("static");
    const std::string still = temp.Write("static/still.md5mesh",
                                         "MD5Version 10\nnumJoints 0\nnumMeshes 1\njoints {\n}\nmesh {\nshader \"s\"\n"
                                         "numverts 3\nvert 0 ( 0 0 ) 0 0\nvert 1 ( 1 0 ) 0 0\nvert 2 ( 0 1 ) 0 0\n"
                                         "numtris 1\ntri 0 0 1 2\nnumweights 0\n}\n");
    ASSERT_EQ(Tool({"export", still, "-o", temp.File("still.glb")}).status, md5tool::kSuccess);
    const Result drawn = Tool({"render", temp.File("still.glb"), "--size", "32x32", "-o", temp.File("still.png")});
    EXPECT_EQ(drawn.status, md5tool::kSuccess) << drawn.err;
}

TEST(Md5ToolTest, ExportCountsWhatItWritesAndSaysWhatItChanged) {
    brmath_test::TempFolder temp;
    // The sample exports without a warning, and info and export count its unused vertices alike.
    const Result sample = Tool({"export", kSampleMesh, "-o", temp.File("robot.glb")});
    EXPECT_EQ(sample.err, "");
    EXPECT_NE(sample.out.find("4199 vertices (38 that no triangle uses)"), std::string::npos) << sample.out;
    EXPECT_NE(Tool({"info", kSampleMesh}).out.find("1105 vertices (10 that no triangle uses)"), std::string::npos);

    // A joint named twice, a block without triangles, --embed with .glb.
    std::string mesh = brmath_test::ReplaceOnce(brmath_test::kRigMesh, "weight 3 0 0.5", "weight 3 1 0.5");
    mesh = brmath_test::ReplaceOnce(mesh, "numMeshes 1", "numMeshes 2") + "mesh {\n shader \"empty\"\n numverts 0 numtris 0 numweights 0\n}\n";
    temp.MakeSubfolder("twice");
    const Result twice = Tool({"export", temp.Write("twice/rig.md5mesh", mesh), "-o", temp.File("twice.glb"), "--embed"});
    EXPECT_EQ(twice.status, md5tool::kSuccess) << twice.err;
    EXPECT_NE(twice.err.find("1 vertex whose weights name a joint twice"), std::string::npos) << twice.err;
    EXPECT_NE(twice.err.find("--embed has no effect on a .glb"), std::string::npos);
    EXPECT_NE(twice.out.find("2 joints, 1 mesh, 3 vertices, 1 triangle,"), std::string::npos) << twice.out;
}
