// Every file of the malformed corpus, and files too large to keep in it, through the
// readers: rejected with its reason, or skipped, with the slot unchanged.
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>

#include "actor/actor.h"
#include "md5/read_failure.h"
#include "support/actor_snapshot.h"
#include "support/corpus.h"
#include "support/float_bits.h"
#include "support/recording_device.h"
#include "support/temp_folder.h"
#include "support/test_names.h"

using brmath::Actor;
using brmath_test::CorpusEntry;

namespace {

std::string FileText(const std::string& path) { return brmath_test::ReadFileBytes(path); }

class MalformedCorpusTest : public ::testing::TestWithParam<CorpusEntry> {};


}  // namespace

// The rig with its two clips from a folder of its own, one file swapped for `file`,
// posed at frame 1 of every clip: the vertices of each pose, one after the other.
std::vector<brmath::MeshVertex> RigPoses(const std::string& swapped, const std::string& file) {
    brmath_test::TempFolder folder;
    for (const char* name : {"rig.md5mesh", "walk.md5anim", "zigzag.md5anim"}) {
        const std::string tidy = brmath_test::TestDataPath(std::string("rig/") + name);
        folder.Write(name, FileText(tidy == swapped ? file : tidy));
    }
    Actor actor;
    if (!actor.LoadMesh(folder.File("rig.md5mesh").c_str())) return {};
    std::vector<brmath::MeshVertex> poses;
    for (int clip = 0; clip < actor.animationCount; ++clip) {
        actor.SetAnimation(clip);
        actor.ProceedAnimation(1);
        const std::vector<brmath::MeshVertex> pose = brmath_test::Snapshot(actor);
        poses.insert(poses.end(), pose.begin(), pose.end());
    }
    return poses;
}

TEST_P(MalformedCorpusTest, IsRefusedWithItsReasonAndTheSlotKeepsItsModel) {
    const CorpusEntry& entry = GetParam();
    if (entry.loads) {
        // An odd but legal file reads exactly as the tidy one.
        const std::vector<brmath::MeshVertex> tidy = RigPoses("", "");
        ASSERT_FALSE(tidy.empty());
        EXPECT_TRUE(brmath_test::SameBits(RigPoses(entry.reason, entry.file), tidy));
        return;
    }
    brmath_test::TempFolder folder;
    folder.Write("a.md5anim", FileText(brmath_test::TestDataPath("rig/walk.md5anim")));
    if (!entry.mesh) folder.Write("b.md5anim", FileText(entry.file));  // sorted between the good clips
    folder.Write("c.md5anim", FileText(brmath_test::TestDataPath("rig/zigzag.md5anim")));
    Actor actor;
    ASSERT_TRUE(actor.LoadMesh(folder.Write("rig.md5mesh", FileText(brmath_test::TestDataPath("rig/rig.md5mesh"))).c_str()));
    ASSERT_EQ(actor.animationCount, 2);  // a bad clip is left out, the others load
    const brmath::Joint* joints = actor.joints;
    const brmath::Mesh* meshes = actor.meshes;
    const brmath::Matrix4 hip = actor.joints[1].matrix;

    brmath::ReadFailure failure;
    const bool loaded = entry.mesh ? actor.LoadMesh(entry.file.c_str(), &failure)
                                   : actor.LoadAnimation(entry.file.c_str(), &failure);
    EXPECT_FALSE(loaded);
    EXPECT_NE(std::strstr(failure.message, entry.reason.c_str()), nullptr) << "\"" << failure.message << "\"";
    EXPECT_EQ(failure.line, entry.line) << "\"" << failure.message << "\"";
    EXPECT_TRUE(actor.IsLoaded());
    EXPECT_EQ(actor.joints, joints);
    EXPECT_EQ(actor.meshes, meshes);
    EXPECT_EQ(actor.animationCount, 2);
    EXPECT_MATRIX_BITS(actor.joints[1].matrix, hip);
}

INSTANTIATE_TEST_SUITE_P(Corpus, MalformedCorpusTest, ::testing::ValuesIn(brmath_test::MalformedCorpus()),
                         [](const auto& info) {
                             const std::string& file = info.param.file;
                             return brmath_test::TestNameFrom(file.substr(file.find_last_of("/\\") + 1));
                         });

TEST(StressFileTest, FolderGivenAsTheMeshPath) {
    brmath_test::TempFolder folder;
    Actor actor;
    brmath::ReadFailure failure;
    EXPECT_FALSE(actor.LoadMesh(folder.MakeSubfolder("looks.md5mesh").c_str(), &failure));
    EXPECT_STREQ(failure.message, "cannot open or read the file");
    EXPECT_FALSE(actor.IsLoaded());
}

TEST(StressFileTest, DeepJointChainWithAClipOfAsManyTracks) {
    constexpr int kJoints = 10000;
    std::ostringstream mesh, clip;
    mesh << "numJoints " << kJoints << " numMeshes 1\njoints {\n";
    clip << "numFrames 2 numJoints " << kJoints << " frameRate 30\nhierarchy {\n";
    for (int j = 0; j < kJoints; ++j) {
        mesh << "\"j" << j << "\" " << j - 1 << " ( 0 0 " << (j == 0 ? 0 : j) << " ) ( 0 0 0 )\n";
        clip << "\"j" << j << "\" " << j - 1 << " " << (j == kJoints - 1 ? 4 : 0) << " 0\n";
    }
    mesh << "}\nmesh { shader \"s\" numverts 1 vert 0 ( 0 0 ) 0 1 numtris 0 numweights 1 weight 0 "
         << kJoints - 1 << " 1 ( 0 0 0 ) }\n";
    clip << "}\nbaseframe {\n";
    for (int j = 0; j < kJoints; ++j) clip << "( 0 0 " << (j == 0 ? 0 : 1) << " ) ( 0 0 0 )\n";
    clip << "}\nframe 0 { 5 } frame 1 { 7 }\n";
    brmath_test::TempFolder folder;
    folder.Write("chain.md5anim", clip.str());
    Actor actor;
    ASSERT_TRUE(actor.LoadMesh(folder.Write("chain.md5mesh", mesh.str()).c_str()));
    ASSERT_EQ(actor.animationCount, 1);
    EXPECT_EQ(actor.animations[0].tracks[kJoints - 1].joint, &actor.joints[kJoints - 1]);
    actor.ProceedAnimation(1);
    // The tip: 9998 unit steps from its ancestors and its own key of 7.
    EXPECT_EQ(actor.meshes[0].vertices[0].position.z, static_cast<float>(kJoints - 2 + 7));
}

TEST(StressFileTest, OneMeshOfMoreThanAHundredThousandTriangles) {
    constexpr int kTriangles = 100001;
    std::ostringstream mesh;
    mesh << "numJoints 1 numMeshes 1 joints { \"root\" -1 ( 0 0 0 ) ( 0 0 0 ) }\n"
         << "mesh { shader \"big\" numverts 3\n vert 0 ( 0 0 ) 0 1\n vert 1 ( 1 0 ) 1 1\n vert 2 ( 0 1 ) 2 1\n"
         << "numtris " << kTriangles << "\n";
    for (int t = 0; t < kTriangles; ++t) mesh << "tri " << t << " 0 1 2\n";
    mesh << "numweights 3\nweight 0 0 1 ( 0 0 0 )\nweight 1 0 1 ( 1 0 0 )\nweight 2 0 1 ( 0 1 0 )\n}\n";
    brmath_test::TempFolder folder;
    Actor actor;
    ASSERT_TRUE(actor.LoadMesh(folder.Write("big.md5mesh", mesh.str()).c_str()));
    brmath_test::RecordingDevice device;
    device.copyVertices = false;
    EXPECT_EQ(actor.Render(device.Device()), 3 * kTriangles);
    EXPECT_EQ(device.calls.size(), 2u * 31u);  // 30 full batches of 3333 and one of 11
    EXPECT_EQ(device.calls.back().primitiveCount, 11u);
}
