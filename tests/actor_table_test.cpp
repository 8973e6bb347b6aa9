// Runs in its own process: the slot counter starts at 0 only once per process.
#include <gtest/gtest.h>

#include "brmath/brmath.h"
#include "support/recording_device.h"

TEST(ActorTableTest, HandsOutThirtyTwoSlotsThenRefuses) {
    for (int expected = 0; expected < 32; ++expected) EXPECT_EQ(MD5_AddActor(), expected);
    EXPECT_EQ(MD5_AddActor(), -1);
    EXPECT_EQ(MD5_AddActor(), -1);
}

TEST(ActorTableTest, SlotsOutsideTheTableTouchNothing) {
    brmath_test::RecordingDevice device;
    for (int slot : {-1, 32, 1000, -2147483647 - 1}) {
        EXPECT_EQ(MD5_LoadActor(slot, "anything.md5mesh"), 0);
        EXPECT_EQ(MD5_RenderActor(slot, device.Device()), 0);
        EXPECT_FALSE(MD5_SetAnimation(slot, 0));
        EXPECT_FALSE(MD5_ProceedAnimation(slot, 0));
        EXPECT_EQ(MD5_GetFrameCount(slot), 0);
    }
    EXPECT_TRUE(device.calls.empty());
}

TEST(ActorTableTest, EmptySlotsAnswerEveryExport) {
    brmath_test::RecordingDevice device;
    EXPECT_EQ(MD5_LoadActor(5, "no-such-folder/no-such-file.md5mesh"), 0);
    EXPECT_EQ(MD5_LoadActor(5, nullptr), 0);
    EXPECT_EQ(MD5_RenderActor(5, device.Device()), 0);
    EXPECT_EQ(MD5_RenderActor(5, nullptr), 0);
    EXPECT_FALSE(MD5_SetAnimation(5, 0));
    EXPECT_TRUE(MD5_ProceedAnimation(5, 7));
    EXPECT_EQ(MD5_GetFrameCount(5), 0);
    EXPECT_TRUE(device.calls.empty());
}
