#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <utility>
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

// A vertex moved by hand shows whether a call posed: posing writes every position.
namespace {
constexpr float kMovedByHand = 1e6f;
void MoveFirstVertex(Actor& actor) { actor.meshes[0].vertices[0].position.x = kMovedByHand; }
bool Posed(const Actor& actor) { return actor.meshes[0].vertices[0].position.x != kMovedByHand; }
}  // namespace

TEST_F(PoseTest, AKeyAlreadyShownIsNotPosedAgain) {
    Load(10);
    ASSERT_TRUE(actor_.SetAnimation(1));
    actor_.ProceedAnimation(3);
    const std::vector<brmath::MeshVertex> posed = brmath_test::Snapshot(actor_);
    MoveFirstVertex(actor_);
    for (int frame : {3, 13, -7}) {  // the same key, modulo the clip's ten frames
        actor_.ProceedAnimation(frame);
        EXPECT_FALSE(Posed(actor_)) << frame;
    }
    actor_.ProceedAnimation(4);
    actor_.ProceedAnimation(3);
    EXPECT_TRUE(brmath_test::SameBits(posed, brmath_test::Snapshot(actor_)));
}

TEST_F(PoseTest, AnythingThatChangesTheActorPosesTheKeyAgain) {
    Load(10);
    MoveFirstVertex(actor_);
    actor_.ProceedAnimation(0);  // key 0 of clip a, right after loading
    EXPECT_TRUE(Posed(actor_));
    ASSERT_TRUE(actor_.SetAnimation(1));
    actor_.ProceedAnimation(3);
    const std::vector<brmath::MeshVertex> posed = brmath_test::Snapshot(actor_);
    const std::string mesh = folder_.Path() + "/rig.md5mesh";
    const std::pair<const char*, std::function<void()>> changes[] = {
        {"another clip and back", [&] { actor_.SetAnimation(0), actor_.SetAnimation(1); }},
        {"a reload", [&] { ASSERT_TRUE(actor_.LoadMesh(mesh.c_str())); }},
        {"a clip loaded", [&] { ASSERT_TRUE(actor_.LoadAnimation((folder_.Path() + "/a.md5anim").c_str())); }},
        {"another pose path", [&] { actor_.SetPosePath(actor_.GetPosePath()); }},
        {"a pose by hand", [&] { actor_.EvaluatePose(3); }},
    };
    for (const auto& change : changes) {
        SCOPED_TRACE(change.first);
        MoveFirstVertex(actor_);
        change.second();
        actor_.ProceedAnimation(3);
        EXPECT_TRUE(brmath_test::SameBits(posed, brmath_test::Snapshot(actor_)));
    }
}

TEST_F(PoseTest, AClipWhoseParentComesLaterIsPosedEveryTime) {
    // The linear clip with its tracks turned around: hip is posed from the origin's
    // matrix of the pose before, so the same key gives another pose the second time.
    std::string clip = brmath_test::MakeLinearClip(10);
    clip = brmath_test::ReplaceOnce(clip, "\t\"origin\"\t-1 1 0\n\t\"hip\"\t0 4 1\n", "\t\"hip\"\t0 4 0\n\t\"origin\"\t-1 1 1\n");
    clip = brmath_test::ReplaceOnce(clip, "\t( 0 0 0 ) ( 0 0 0 )\n\t( 0 1 0 ) ( 0 0 0 )\n",
                                    "\t( 0 1 0 ) ( 0 0 0 )\n\t( 0 0 0 ) ( 0 0 0 )\n");
    folder_.Write("r.md5anim", clip);
    ASSERT_TRUE(actor_.LoadMesh(folder_.Write("rig.md5mesh", brmath_test::kRigMesh).c_str()));
    actor_.ProceedAnimation(2);
    actor_.ProceedAnimation(5);
    EXPECT_MATRIX_BITS(actor_.joints[1].matrix, Matrix4::Translation(2, 1, 5));
    actor_.ProceedAnimation(5);
    EXPECT_MATRIX_BITS(actor_.joints[1].matrix, Matrix4::Translation(5, 1, 5));
}
