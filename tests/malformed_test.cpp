// Malformed files are rejected whole: the slot keeps the model it held, and the
// reason names what was expected, what was found and where.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <ostream>
#include <vector>

#include "actor/actor.h"
#include "md5/read_failure.h"
#include "support/float_bits.h"
#include "support/sample_models.h"
#include "support/temp_folder.h"
#include "support/test_names.h"

using brmath::Actor;
using brmath_test::TempFolder;

namespace {

struct MalformedMesh {
    const char* name;
    std::string text;
    const char* reason;  // a part of the message
    int line;
};

std::vector<MalformedMesh> MalformedMeshes() {
    const std::string& rig = brmath_test::kRigMesh;
    return {
        {"empty file", "", "no \"MD5Version\" line", 1},
        {"negative joint count", brmath_test::ReplaceOnce(rig, "numJoints 2", "numJoints -2"), "negative value -2", 4},
        {"huge joint count", brmath_test::ReplaceOnce(rig, "numJoints 2", "numJoints 2147483647"), "more than the rest of the file", 4},
        {"huge vertex count", brmath_test::ReplaceOnce(rig, "numverts 3", "numverts 99999999"), "more than the rest of the file", 16},
        {"count not a number", brmath_test::ReplaceOnce(rig, "numMeshes 1", "numMeshes x"), "expected the mesh count, found \"x\"", 5},
        {"missing joints keyword", brmath_test::ReplaceOnce(rig, "joints {", "bones {"), "found no \"joints\" from line 5", 5},
        {"parent after child", brmath_test::ReplaceOnce(rig, "\"origin\"\t-1", "\"origin\"\t1"), "found 1", 8},
        {"parent is itself", brmath_test::ReplaceOnce(rig, "\"hip\"\t0", "\"hip\"\t1"), "earlier joint (0 to 0), found 1", 9},
        {"unterminated joint name", "numJoints 1\nnumMeshes 0\njoints {\n\t\"origin -1 ( 0 0 0 ) ( 0 0 0 )\n}\n",
         "closing quote", 4},
        {"joint name runs into the mesh", brmath_test::ReplaceOnce(rig, "\"origin\"\t-1", "\"origin\t-1"), "parent index, found \"hip\"\"", 9},
        {"unreadable position", brmath_test::ReplaceOnce(rig, "( 0 1 0 )", "( a 1 0 )"), "joint's position, found \"a\"", 9},
        {"triangle index past the vertices", brmath_test::ReplaceOnce(rig, "tri 0 0 1 2", "tri 0 0 1 3"), "from 0 to 2, found 3", 22},
        {"negative triangle index", brmath_test::ReplaceOnce(rig, "tri 0 0 1 2", "tri 0 -1 1 2"), "found -1", 22},
        {"weights past the array", brmath_test::ReplaceOnce(rig, "vert 2 ( 0 1 ) 2 2", "vert 2 ( 0 1 ) 3 2"), "vertex 2 of mesh 0", 19},
        {"negative weight start", brmath_test::ReplaceOnce(rig, "vert 2 ( 0 1 ) 2 2", "vert 2 ( 0 1 ) -1 2"), "vertex 2", 19},
        {"weight joint out of range", brmath_test::ReplaceOnce(rig, "weight 3 0 0.5", "weight 3 2 0.5"), "joint index from 0 to 1, found 2", 28},
        {"truncated weights", rig.substr(0, rig.find("weight 3")), "expected \"weight\", found end of file", 28},
        {"truncated vertices", rig.substr(0, rig.find("vert 2")), "\"vert\"", 19},
        {"missing mesh keyword", brmath_test::ReplaceOnce(brmath_test::ReplaceOnce(rig, "mesh {", "lump {"), "// meshes: body", ""), "found no \"mesh\" from line 9", 9},
        {"binary garbage", std::string("\x7f" "ELF\x01\x02\0\0numJoints\xff\xfe", 18), "the joint count, found \"?\"", 1},
        {"nul inside a count", brmath_test::ReplaceOnce(rig, "numJoints 2", std::string("numJoints \0 2", 13)), "found \"?\"", 4},
    };
}


void PrintTo(const MalformedMesh& sample, std::ostream* out) { *out << sample.name; }

class MalformedMeshTest : public ::testing::TestWithParam<MalformedMesh> {};

}  // namespace

TEST_P(MalformedMeshTest, IsRejectedAndTheActorKeepsItsModel) {
    const MalformedMesh& sample = GetParam();
    TempFolder folder;
    folder.Write("walk.md5anim", brmath_test::kTwoFrameHipClip);
    Actor actor;
    ASSERT_TRUE(actor.LoadMesh(folder.Write("good.md5mesh", brmath_test::kRigMesh).c_str()));
    ASSERT_TRUE(actor.SetAnimation(0));
    const brmath::Mesh* meshes = actor.meshes;
    const brmath::Joint* joints = actor.joints;

    TempFolder badFolder;
    brmath::ReadFailure failure;
    EXPECT_FALSE(actor.LoadMesh(badFolder.Write("bad.md5mesh", sample.text).c_str(), &failure));
    EXPECT_NE(std::strstr(failure.message, sample.reason), nullptr)
        << sample.name << ": \"" << failure.message << "\"";
    EXPECT_EQ(failure.line, sample.line) << sample.name << ": \"" << failure.message << "\"";

    EXPECT_TRUE(actor.IsLoaded());
    EXPECT_EQ(actor.meshes, meshes);
    EXPECT_EQ(actor.joints, joints);
    EXPECT_EQ(actor.jointCount, 2);
    EXPECT_EQ(actor.animationCount, 1);
    EXPECT_STREQ(actor.joints[1].name, "hip");
}

INSTANTIATE_TEST_SUITE_P(Files, MalformedMeshTest, ::testing::ValuesIn(MalformedMeshes()),
                         [](const auto& info) { return brmath_test::TestNameFrom(info.param.name); });

namespace {

struct MalformedClip {
    const char* name;
    std::string text;
    const char* reason;
};

std::vector<MalformedClip> MalformedClips() {
    const std::string& clip = brmath_test::kTwoFrameHipClip;
    return {
        {"missing frame rate", brmath_test::ReplaceOnce(clip, "frameRate", "framerate"), "found no \"frameRate\""},
        {"negative frame count", brmath_test::ReplaceOnce(clip, "numFrames 2", "numFrames -1"), "negative value -1"},
        {"huge track count", brmath_test::ReplaceOnce(clip, "numJoints 2", "numJoints 999999"), "more than the rest"},
        {"more frames than blocks", brmath_test::ReplaceOnce(clip, "numFrames 2", "numFrames 3"), "expected \"{\""},
        {"frames the file cannot hold", brmath_test::ReplaceOnce(clip, "numFrames 2", "numFrames 200"), "too short"},
        {"huge frame count", brmath_test::ReplaceOnce(clip, "numFrames 2", "numFrames 2000000"), "more than the rest"},
        {"ends in the hierarchy", clip.substr(0, clip.find("\"hip\"") + 3), "closing quote"},
        {"missing base frame", brmath_test::ReplaceOnce(clip, "baseframe", "baseFrame"), "found no \"baseframe\""},
        {"short frame block", brmath_test::ReplaceOnce(clip, "0.7 0.8", "0.7"), "an animated component"},
        {"garbage in a frame", brmath_test::ReplaceOnce(clip, "0.5 0.6", "0.5 zz"), "found \"zz\""},
    };
}

void PrintTo(const MalformedClip& sample, std::ostream* out) { *out << sample.name; }

class MalformedClipTest : public ::testing::TestWithParam<MalformedClip> {};

}  // namespace

TEST_P(MalformedClipTest, IsSkippedAndLeavesTheJointsAsTheyWere) {
    const MalformedClip& sample = GetParam();
    TempFolder folder;
    // Sorted: a.md5anim (good), b.md5anim (bad), c.md5anim (good).
    folder.Write("a.md5anim", brmath_test::MakeLinearClip(4));
    const std::string bad = folder.Write("b.md5anim", sample.text);
    folder.Write("c.md5anim", brmath_test::MakeLinearClip(6));
    Actor actor;
    ASSERT_TRUE(actor.LoadMesh(folder.Write("rig.md5mesh", brmath_test::kRigMesh).c_str()));
    ASSERT_EQ(actor.animationCount, 2) << sample.name;
    EXPECT_EQ(actor.animations[0].frameCount, 4);
    EXPECT_EQ(actor.animations[1].frameCount, 6);

    const brmath::Matrix4 before = actor.joints[1].matrix;
    brmath::ReadFailure failure;
    EXPECT_FALSE(actor.LoadAnimation(bad.c_str(), &failure));
    EXPECT_NE(std::strstr(failure.message, sample.reason), nullptr) << sample.name << ": \"" << failure.message << "\"";
    EXPECT_GT(failure.line, 0);
    EXPECT_EQ(actor.animationCount, 2);
    EXPECT_MATRIX_BITS(actor.joints[1].matrix, before);
}

INSTANTIATE_TEST_SUITE_P(Files, MalformedClipTest, ::testing::ValuesIn(MalformedClips()),
                         [](const auto& info) { return brmath_test::TestNameFrom(info.param.name); });

TEST(MalformedPathTest, TooLongAPathIsRefusedBeforeAnythingChanges) {
    TempFolder folder;
    Actor actor;
    ASSERT_TRUE(actor.LoadMesh(folder.Write("rig.md5mesh", brmath_test::kRigMesh).c_str()));
    brmath::ReadFailure failure;
    const std::string longPath = folder.Path() + "/" + std::string(1100, 'x') + ".md5mesh";
    EXPECT_FALSE(actor.LoadMesh(longPath.c_str(), &failure));
    EXPECT_STREQ(failure.message, "the path is too long");
    EXPECT_TRUE(actor.IsLoaded());
}
