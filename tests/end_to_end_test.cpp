// A host's view: load a rig with two clips through the exports, play clip 1 and check
// the joints and skinned vertices against values derived by hand.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "actor/actor_table.h"
#include "brmath/brmath.h"
#include "support/actor_snapshot.h"
#include "support/float_bits.h"
#include "support/sample_models.h"
#include "support/temp_folder.h"

using brmath::Matrix4;

namespace {

constexpr int kSlot = 3;

std::vector<brmath::MeshVertex> Vertices() { return brmath_test::Snapshot(brmath::TheActorTable().actors[kSlot]); }

}  // namespace

TEST(EndToEndTest, PlaysTheSecondClipThroughTheExports) {
    brmath_test::TempFolder folder;
    folder.Write("a.md5anim", brmath_test::kTwoFrameHipClip);
    folder.Write("b.md5anim", brmath_test::MakeLinearClip(10));
    ASSERT_EQ(MD5_LoadActor(kSlot, folder.Write("rig.md5mesh", brmath_test::kRigMesh).c_str()), 1);
    EXPECT_EQ(MD5_GetFrameCount(kSlot), 2);
    const brmath::Actor& actor = brmath::TheActorTable().actors[kSlot];

    // Choosing a clip poses nothing.
    const std::vector<brmath::MeshVertex> bind = Vertices();
    EXPECT_TRUE(MD5_SetAnimation(kSlot, 1));
    EXPECT_EQ(MD5_GetFrameCount(kSlot), 2);  // always the first clip's
    EXPECT_TRUE(brmath_test::SameBits(bind, Vertices()));
    EXPECT_TRUE(MD5_SetAnimation(kSlot, 5) == false);
    EXPECT_EQ(actor.currentAnimation, 1);

    const int frames[][2] = {{0, 0}, {9, 9}, {10, 0}, {25, 5}, {-1, 9}};
    for (const auto& pair : frames) {
        SCOPED_TRACE(pair[0]);
        EXPECT_TRUE(MD5_ProceedAnimation(kSlot, pair[0]));
        const float k = static_cast<float>(pair[1]);
        // origin at (k, 0, 0); hip's own (0, 1, k) after its parent: (k, 1, k).
        EXPECT_MATRIX_BITS(actor.joints[0].matrix, Matrix4::Translation(k, 0, 0));
        EXPECT_MATRIX_BITS(actor.joints[1].matrix, Matrix4::Translation(k, 1, k));
        const std::vector<brmath::MeshVertex> v = Vertices();
        EXPECT_VEC3_EQ(v[0].position, k, 0.0f, 0.0f);
        EXPECT_VEC3_EQ(v[1].position, k + 1.0f, 1.0f, k);
        // Half of hip * (0, 0, 2) and half of origin * (0, 2, 0).
        EXPECT_VEC3_EQ(v[2].position, k, 1.5f, 0.5f * k + 1.0f);

        // Posing again at the same frame gives identical bits.
        EXPECT_TRUE(MD5_ProceedAnimation(kSlot, pair[0]));
        EXPECT_TRUE(brmath_test::SameBits(v, Vertices()));
    }
}

TEST(EndToEndTest, FailedLoadReportsZeroAndKeepsTheSlot) {
    brmath_test::TempFolder folder;
    ASSERT_EQ(MD5_LoadActor(4, folder.Write("rig.md5mesh", brmath_test::kRigMesh).c_str()), 1);
    EXPECT_EQ(MD5_LoadActor(4, folder.File("missing.md5mesh").c_str()), 0);
    EXPECT_EQ(MD5_LoadActor(4, folder.Write("bad.md5mesh", "numJoints -1").c_str()), 0);
    EXPECT_TRUE(brmath::TheActorTable().actors[4].IsLoaded());
    EXPECT_EQ(brmath::TheActorTable().actors[4].jointCount, 2);
    EXPECT_EQ(MD5_GetFrameCount(4), 0);  // no clips
    EXPECT_TRUE(MD5_ProceedAnimation(4, 3));
}
