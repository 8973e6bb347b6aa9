#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "actor/actor.h"
#include "support/actor_snapshot.h"
#include "support/float_bits.h"
#include "support/sample_models.h"
#include "support/temp_folder.h"

using brmath::Actor;
using brmath::Matrix4;
using brmath_test::TempFolder;

namespace {

// The rig with clip "a" (the two-frame hip clip) and clip "b" (a linear clip of `frames` frames).
class PoseTest : public ::testing::Test {
protected:
    void Load(int frames) {
        folder_.Write("a.md5anim", brmath_test::kTwoFrameHipClip);
        folder_.Write("b.md5anim", brmath_test::MakeLinearClip(frames));
        ASSERT_TRUE(actor_.LoadMesh(folder_.Write("rig.md5mesh", brmath_test::kRigMesh).c_str()));
        ASSERT_EQ(actor_.animationCount, 2);
    }
    // Key k of the linear clip puts origin at (k, 0, 0) and hip at (k, 1, k).
    void ExpectLinearKey(int k) {
        EXPECT_MATRIX_BITS(actor_.joints[0].matrix, Matrix4::Translation(static_cast<float>(k), 0, 0));
        EXPECT_MATRIX_BITS(actor_.joints[1].matrix, Matrix4::Translation(static_cast<float>(k), 1, static_cast<float>(k)));
    }
    TempFolder folder_;
    Actor actor_;
};

}  // namespace

TEST_F(PoseTest, FrameNumbersWrapIntoTheClip) {
    Load(10);
    ASSERT_TRUE(actor_.SetAnimation(1));
    const int frames[][2] = {{0, 0}, {9, 9}, {10, 0}, {25, 5}, {3, 3}, {23, 3},
                             {-1, 9}, {-10, 0}, {-11, 9}, {2147483647, 7}, {-2147483647 - 1, 2}};
    for (const auto& pair : frames) {
        actor_.ProceedAnimation(pair[0]);
        SCOPED_TRACE(pair[0]);
        ExpectLinearKey(pair[1]);
    }
}

TEST_F(PoseTest, OneFrameClipShowsKeyZero) {
    Load(1);
    ASSERT_TRUE(actor_.SetAnimation(1));
    for (int frame : {0, 1, 7, -3}) {
        actor_.ProceedAnimation(frame);
        ExpectLinearKey(0);
    }
}

TEST_F(PoseTest, SetAnimationValidatesAndChangesNothingElse) {
    Load(10);
    const std::vector<brmath::MeshVertex> before = brmath_test::Snapshot(actor_);
    const Matrix4 hip = actor_.joints[1].matrix;
    EXPECT_FALSE(actor_.SetAnimation(-1));
    EXPECT_FALSE(actor_.SetAnimation(2));
    EXPECT_EQ(actor_.currentAnimation, 0);
    EXPECT_TRUE(actor_.SetAnimation(1));
    EXPECT_EQ(actor_.currentAnimation, 1);
    EXPECT_TRUE(brmath_test::SameBits(before, brmath_test::Snapshot(actor_)));
    EXPECT_MATRIX_BITS(actor_.joints[1].matrix, hip);
}

TEST_F(PoseTest, TwoFrameHipClipRotatesTheHip) {
    Load(10);
    actor_.ProceedAnimation(0);
    brmath::Quaternion q;
    q.SetFromXYZ(brmath::Vector3(0.6f, 0, 0));
    EXPECT_MATRIX_BITS(actor_.joints[0].matrix, Matrix4());
    EXPECT_MATRIX_BITS(actor_.joints[1].matrix, (Matrix4::Translation(0.5f, 1, 0) * q.ToMatrix()));
}

TEST_F(PoseTest, RootAndChildTranslationsChain) {
    const std::string clip = R"(numFrames 1 numJoints 2 frameRate 24
hierarchy { "origin" -1 7 0 "hip" 0 7 3 }
baseframe { ( 0 0 0 ) ( 0 0 0 ) ( 0 0 0 ) ( 0 0 0 ) }
frame 0 { 1 2 3 0 1 0 })";
    folder_.Write("chain.md5anim", clip);
    ASSERT_TRUE(actor_.LoadMesh(folder_.Write("rig.md5mesh", brmath_test::kRigMesh).c_str()));
    actor_.ProceedAnimation(0);
    EXPECT_MATRIX_BITS(actor_.joints[0].matrix, Matrix4::Translation(1, 2, 3));
    EXPECT_MATRIX_BITS(actor_.joints[1].matrix, Matrix4::Translation(1, 3, 3));
}

TEST_F(PoseTest, ClipWithoutFramesShowsItsBaseFrame) {
    const std::string clip = R"(numFrames 0 numJoints 2 frameRate 24
hierarchy { "origin" -1 1 0 "hip" 0 1 1 }
baseframe { ( 2 0 0 ) ( 0 0 0 ) ( 0 5 0 ) ( 0 0 0 ) })";
    folder_.Write("still.md5anim", clip);
    ASSERT_TRUE(actor_.LoadMesh(folder_.Write("rig.md5mesh", brmath_test::kRigMesh).c_str()));
    for (int frame : {0, 3, -4}) {
        actor_.ProceedAnimation(frame);
        EXPECT_MATRIX_BITS(actor_.joints[0].matrix, Matrix4::Translation(2, 0, 0));
        EXPECT_MATRIX_BITS(actor_.joints[1].matrix, Matrix4::Translation(2, 5, 0));
    }
}

TEST_F(PoseTest, NothingHappensWithoutClipsOrWithAStaleIndex) {
    ASSERT_TRUE(actor_.LoadMesh(folder_.Write("rig.md5mesh", brmath_test::kRigMesh).c_str()));
    const std::vector<brmath::MeshVertex> before = brmath_test::Snapshot(actor_);
    actor_.ProceedAnimation(3);
    EXPECT_TRUE(brmath_test::SameBits(before, brmath_test::Snapshot(actor_)));

    Load(10);
    actor_.ProceedAnimation(4);
    const std::vector<brmath::MeshVertex> posed = brmath_test::Snapshot(actor_);
    actor_.currentAnimation = 7;  // only a future change could make it stale
    actor_.ProceedAnimation(5);
    EXPECT_TRUE(brmath_test::SameBits(posed, brmath_test::Snapshot(actor_)));
    actor_.currentAnimation = 1;
    actor_.animated = false;
    actor_.ProceedAnimation(5);
    EXPECT_TRUE(brmath_test::SameBits(posed, brmath_test::Snapshot(actor_)));
}
