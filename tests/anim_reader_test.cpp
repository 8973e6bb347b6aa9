#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "actor/actor.h"
#include "brmath/brmath.h"
#include "md5/read_failure.h"
#include "support/float_bits.h"
#include "support/sample_models.h"
#include "support/temp_folder.h"

using brmath::Actor;
using brmath::Matrix4;
using brmath_test::TempFolder;

TEST(AnimReaderTest, ReadsTheTwoFrameHipClip) {
    TempFolder folder;
    folder.Write("walk.md5anim", brmath_test::kTwoFrameHipClip);
    Actor actor;
    ASSERT_TRUE(actor.LoadMesh(folder.Write("rig.md5mesh", brmath_test::kRigMesh).c_str()));
    ASSERT_EQ(actor.animationCount, 1);
    const brmath::Animation& clip = actor.animations[0];
    EXPECT_STREQ(clip.name, "walk");
    EXPECT_EQ(clip.frameCount, 2);
    EXPECT_EQ(clip.trackCount, 2);
    EXPECT_EQ(clip.frameRate, 24);

    const brmath::AnimTrack& origin = clip.tracks[0];
    EXPECT_EQ(origin.joint, &actor.joints[0]);
    EXPECT_EQ(origin.parent, nullptr);
    EXPECT_EQ(origin.flags, 0);
    const brmath::AnimTrack& hip = clip.tracks[1];
    EXPECT_EQ(hip.joint, &actor.joints[1]);
    EXPECT_EQ(hip.parent, &actor.joints[0]);
    EXPECT_EQ(hip.flags, 9);
    EXPECT_VEC3_EQ(hip.basePosition, 0.0f, 1.0f, 0.0f);
    EXPECT_EQ(hip.baseOrientation.w, 1.0f);

    ASSERT_NE(hip.keys, nullptr);
    EXPECT_VEC3_EQ(hip.keys[0].position, 0.5f, 1.0f, 0.0f);
    EXPECT_EQ(hip.keys[0].orientation.x, 0.6f);
    EXPECT_EQ(hip.keys[0].orientation.w, -0.8f);
    EXPECT_VEC3_EQ(hip.keys[1].position, 0.7f, 1.0f, 0.0f);
    EXPECT_EQ(hip.keys[1].orientation.x, 0.8f);
    EXPECT_NEAR(hip.keys[1].orientation.w, -0.6f, 1e-6f);

    // The joints hold the clip's base frame; the vertices keep the bind pose.
    EXPECT_MATRIX_BITS(actor.joints[0].matrix, Matrix4());
    EXPECT_MATRIX_BITS(actor.joints[1].matrix, Matrix4::Translation(0, 1, 0));
    EXPECT_VEC3_EQ(actor.meshes[0].vertices[1].position, 1.0f, 1.0f, 0.0f);
}

TEST(AnimReaderTest, MaskedComponentsAndBaseValues) {
    // Mask 63 takes six numbers per frame, mask 1 one; the rest stay at the base.
    std::string clip = R"(numFrames 1 numJoints 2 frameRate 30
hierarchy { "origin" -1 63 0 "hip" 0 1 6 }
baseframe { ( 1 2 3 ) ( 0 0 0 ) ( 4 5 6 ) ( 0.5 0.5 0.5 ) }
frame 0 { 10 20 30 0.6 0 0 40 })";
    TempFolder folder;
    folder.Write("c.md5anim", clip);
    Actor actor;
    ASSERT_TRUE(actor.LoadMesh(folder.Write("rig.md5mesh", brmath_test::kRigMesh).c_str()));
    ASSERT_EQ(actor.animationCount, 1);
    const brmath::AnimKey& root = actor.animations[0].tracks[0].keys[0];
    EXPECT_VEC3_EQ(root.position, 10.0f, 20.0f, 30.0f);
    EXPECT_EQ(root.orientation.x, 0.6f);
    EXPECT_EQ(root.orientation.w, -0.8f);
    const brmath::AnimKey& hip = actor.animations[0].tracks[1].keys[0];
    EXPECT_VEC3_EQ(hip.position, 40.0f, 5.0f, 6.0f);
    EXPECT_EQ(hip.orientation.x, 0.5f);
    EXPECT_EQ(hip.orientation.w, -0.5f);  // recomputed, never read
}

TEST(AnimReaderTest, ClipsComeInCaseInsensitiveNameOrder) {
    TempFolder folder;
    folder.Write("Run.md5anim", brmath_test::MakeLinearClip(3));
    folder.Write("idle.MD5ANIM", brmath_test::MakeLinearClip(5));
    folder.Write("jump.md5anim", brmath_test::kTwoFrameHipClip);
    folder.Write("notes.txt", "not a clip");
    Actor actor;
    ASSERT_TRUE(actor.LoadMesh(folder.Write("rig.md5mesh", brmath_test::kRigMesh).c_str()));
    ASSERT_EQ(actor.animationCount, 3);
    EXPECT_STREQ(actor.animations[0].name, "idle");
    EXPECT_STREQ(actor.animations[1].name, "jump");
    EXPECT_STREQ(actor.animations[2].name, "Run");
    // The joints hold the base frame of the last file read.
    EXPECT_MATRIX_BITS(actor.joints[1].matrix, Matrix4::Translation(0, 1, 0));
}

TEST(AnimReaderTest, ForwardSlashPathsFindTheirClips) {
    TempFolder folder;
    folder.Write("walk.md5anim", brmath_test::kTwoFrameHipClip);
    std::string path = folder.Write("rig.md5mesh", brmath_test::kRigMesh);
    for (char& c : path) {
        if (c == '\\') c = '/';
    }
    Actor actor;
    ASSERT_TRUE(actor.LoadMesh(path.c_str()));
    EXPECT_EQ(actor.animationCount, 1);
}

TEST(AnimReaderTest, BareFileNameLooksInTheCurrentFolder) {
    TempFolder folder;
    folder.Write("walk.md5anim", brmath_test::kTwoFrameHipClip);
    folder.Write("rig.md5mesh", brmath_test::kRigMesh);
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(folder.Path());
    Actor actor;
    const bool loaded = actor.LoadMesh("rig.md5mesh");
    std::filesystem::current_path(previous);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(actor.animationCount, 1);
}

TEST(AnimReaderTest, UnknownJointsAndParentsDriveNothing) {
    std::string clip = brmath_test::ReplaceOnce(brmath_test::kTwoFrameHipClip, "\"hip\"\t0 9 0", "\"tail\"\t7 9 0");
    TempFolder folder;
    folder.Write("walk.md5anim", clip);
    Actor actor;
    ASSERT_TRUE(actor.LoadMesh(folder.Write("rig.md5mesh", brmath_test::kRigMesh).c_str()));
    ASSERT_EQ(actor.animationCount, 1);
    EXPECT_EQ(actor.animations[0].tracks[1].joint, nullptr);
    EXPECT_EQ(actor.animations[0].tracks[1].parent, nullptr);
    EXPECT_MATRIX_BITS(actor.joints[1].matrix, Matrix4::Translation(0, 1, 0));  // still the bind pose
    actor.ProceedAnimation(1);
    EXPECT_MATRIX_BITS(actor.joints[1].matrix, Matrix4::Translation(0, 1, 0));
}

TEST(AnimReaderTest, DuplicateJointNamesTieToTheLowerIndex) {
    std::string mesh = brmath_test::ReplaceOnce(brmath_test::kRigMesh, "\"hip\"", "\"origin\"");
    TempFolder folder;
    Actor actor;
    ASSERT_TRUE(actor.LoadMesh(folder.Write("rig.md5mesh", mesh).c_str()));
    EXPECT_EQ(actor.FindJoint("origin"), &actor.joints[0]);
    EXPECT_EQ(actor.FindJoint("Origin"), nullptr);
    EXPECT_EQ(actor.FindJoint("hip"), nullptr);
}

TEST(AnimReaderTest, ClipWithoutFramesHasNoKeys) {
    std::string clip = brmath_test::ReplaceOnce(brmath_test::kTwoFrameHipClip, "numFrames 2", "numFrames 0");
    TempFolder folder;
    folder.Write("still.md5anim", clip);
    Actor actor;
    ASSERT_TRUE(actor.LoadMesh(folder.Write("rig.md5mesh", brmath_test::kRigMesh).c_str()));
    ASSERT_EQ(actor.animationCount, 1);
    EXPECT_EQ(actor.animations[0].frameCount, 0);
    EXPECT_EQ(actor.animations[0].tracks[1].keys, nullptr);
}

TEST(AnimReaderTest, LoadAnimationNeedsASkeleton) {
    TempFolder folder;
    Actor actor;
    brmath::ReadFailure failure;
    EXPECT_FALSE(actor.LoadAnimation(folder.Write("walk.md5anim", brmath_test::kTwoFrameHipClip).c_str(), &failure));
    EXPECT_STREQ(failure.message, "no skeleton to animate");
    EXPECT_EQ(actor.animationCount, 0);
}

TEST(AnimReaderTest, LongClipNamesAreCut) {
    TempFolder folder;
    const std::string name(200, 'c');
    folder.Write(name + ".md5anim", brmath_test::kTwoFrameHipClip);
    Actor actor;
    ASSERT_TRUE(actor.LoadMesh(folder.Write("rig.md5mesh", brmath_test::kRigMesh).c_str()));
    ASSERT_EQ(actor.animationCount, 1);
    EXPECT_EQ(std::string(actor.animations[0].name), std::string(127, 'c'));
}

TEST(AnimReaderTest, StaleClipIndexIsResetByLoading) {
    TempFolder big, small;
    big.Write("a.md5anim", brmath_test::kTwoFrameHipClip);
    big.Write("b.md5anim", brmath_test::kTwoFrameHipClip);
    small.Write("a.md5anim", brmath_test::kTwoFrameHipClip);
    Actor actor;
    ASSERT_TRUE(actor.LoadMesh(big.Write("rig.md5mesh", brmath_test::kRigMesh).c_str()));
    ASSERT_TRUE(actor.SetAnimation(1));
    ASSERT_TRUE(actor.LoadMesh(small.Write("rig.md5mesh", brmath_test::kRigMesh).c_str()));
    EXPECT_EQ(actor.currentAnimation, 0);
}
