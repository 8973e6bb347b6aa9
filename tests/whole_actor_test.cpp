// Whole actors compared to the bit: the library's posing against the plain reference
// path, and against itself across runs and reloads.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "actor/actor.h"
#include "support/reference_deformation.h"
#include "support/actor_snapshot.h"
#include "support/temp_folder.h"
#include "support/tube_model.h"

using brmath::Actor;
using brmath_test::SameBits;
using brmath_test::Snapshot;

namespace {

class WholeActorTest : public ::testing::Test {
protected:
    void SetUp() override {
        brmath_test::TubeSize size;
        size.rings = 60;
        size.segments = 40;
        size.joints = 16;
        size.meshes = 3;
        size.frames = 24;
        path_ = brmath_test::WriteTubeModel(folder_.Path(), size);
        ASSERT_TRUE(actor_.LoadMesh(path_.c_str()));
        ASSERT_EQ(actor_.animationCount, 1);
    }
    brmath_test::TempFolder folder_;
    std::string path_;
    Actor actor_;
};

}  // namespace

TEST_F(WholeActorTest, PosingMatchesTheReferencePathAtEveryFrame) {
    for (int frame : {0, 1, 7, 23, 24, 100, -1, -25}) {
        SCOPED_TRACE(frame);
        actor_.ProceedAnimation(frame);
        const std::vector<brmath::MeshVertex> library = Snapshot(actor_);
        brmath_test::ReferenceSkinVertices(actor_);
        EXPECT_TRUE(SameBits(library, Snapshot(actor_)));
    }
}

TEST(WholeActorBindPoseTest, LoadingLeavesTheReferenceBindPose) {
    // Without a clip beside it the joints keep the bind pose that loading skinned.
    brmath_test::TempFolder folder;
    brmath_test::TubeSize size;
    size.rings = 30;
    size.segments = 20;
    const std::string path = brmath_test::WriteTubeModel(folder.Path(), size);
    std::remove(folder.File("wave.md5anim").c_str());
    Actor actor;
    ASSERT_TRUE(actor.LoadMesh(path.c_str()));
    ASSERT_EQ(actor.animationCount, 0);
    const std::vector<brmath::MeshVertex> loaded = Snapshot(actor);
    brmath_test::ReferenceSkinVertices(actor);
    EXPECT_TRUE(SameBits(loaded, Snapshot(actor)));
}

TEST_F(WholeActorTest, RunsAndReloadsGiveIdenticalBits) {
    actor_.ProceedAnimation(13);
    const std::vector<brmath::MeshVertex> first = Snapshot(actor_);
    actor_.ProceedAnimation(5);
    actor_.ProceedAnimation(13);
    EXPECT_TRUE(SameBits(first, Snapshot(actor_)));

    Actor other;
    ASSERT_TRUE(other.LoadMesh(path_.c_str()));
    other.ProceedAnimation(13);
    EXPECT_TRUE(SameBits(first, Snapshot(other)));
}
