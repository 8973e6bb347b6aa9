#include <gtest/gtest.h>

#include "actor/actor.h"
#include "base/allocation.h"

using brmath::Actor;
using brmath::Joint;

TEST(ActorRecordsTest, NewActorIsEmpty) {
    Actor actor;
    EXPECT_TRUE(actor.animated);
    EXPECT_FALSE(actor.IsLoaded());
    EXPECT_EQ(actor.GetTriangleCount(), 0);
    EXPECT_EQ(actor.GetAnimation(0), nullptr);
    EXPECT_EQ(actor.currentAnimation, 0);
    EXPECT_EQ(actor.meshes, nullptr);
    EXPECT_EQ(actor.joints, nullptr);
}

TEST(ActorRecordsTest, GetAnimationBoundsTheIndex) {
    Actor actor;
    actor.animationCount = 2;
    actor.animations = brmath::AllocateArray<brmath::Animation>(2);
    for (int i = 0; i < 2; ++i) {
        actor.animations[i] = brmath::Animation{};
    }
    EXPECT_EQ(actor.GetAnimation(-1), nullptr);
    EXPECT_EQ(actor.GetAnimation(2), nullptr);
    EXPECT_EQ(actor.GetAnimation(1), &actor.animations[1]);
}

TEST(ActorRecordsTest, ReleaseKeepsPlaybackStateAndMayRepeat) {
    Actor actor;
    actor.currentAnimation = 3;
    actor.loaded = true;
    actor.jointCount = 1;
    actor.joints = brmath::AllocateArray<Joint>(1);
    actor.joints[0] = Joint{};
    actor.Release();
    EXPECT_EQ(actor.currentAnimation, 3);
    EXPECT_TRUE(actor.animated);
    EXPECT_FALSE(actor.IsLoaded());
    EXPECT_EQ(actor.joints, nullptr);
    EXPECT_EQ(actor.jointCount, 0);
    actor.Release();
    EXPECT_EQ(actor.joints, nullptr);
}

TEST(ActorRecordsTest, AddChildAppendsInOrder) {
    Joint joints[4] = {};
    for (int i = 1; i < 4; ++i) Actor::AddChild(&joints[0], &joints[i]);
    ASSERT_EQ(joints[0].childCount, 3);
    EXPECT_EQ(joints[0].children[0], &joints[1]);
    EXPECT_EQ(joints[0].children[1], &joints[2]);
    EXPECT_EQ(joints[0].children[2], &joints[3]);
    brmath::FreeBytes(joints[0].children);
}

TEST(ActorRecordsTest, AddChildKeepsTheListWhenMemoryRunsOut) {
    Joint parent{}, child{};
    Actor::AddChild(&parent, &child);
    brmath::FailAllocationAt(1);
    Actor::AddChild(&parent, &child);
    brmath::FailAllocationAt(0);
    EXPECT_EQ(parent.childCount, 1);
    EXPECT_EQ(parent.children[0], &child);
    brmath::FreeBytes(parent.children);
}
