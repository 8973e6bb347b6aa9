// Allocation failures at every point of loading a model with clips, and load / reload /
// release cycles over every test file. The sanitizer build's leak check runs on these.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "actor/actor.h"
#include "base/allocation.h"
#include "support/corpus.h"
#include "support/recording_device.h"
#include "support/sample_models.h"
#include "support/temp_folder.h"

using brmath::Actor;

namespace {

// Everything a consistent actor offers can be walked: counts match arrays, tracks
// point into the joints, and posing and drawing run.
void ExpectConsistent(Actor& actor) {
    EXPECT_EQ(actor.joints == nullptr, actor.jointCount == 0);
    EXPECT_EQ(actor.meshes == nullptr, actor.meshCount == 0);
    EXPECT_EQ(actor.animations == nullptr, actor.animationCount == 0);
    for (int a = 0; a < actor.animationCount; ++a) {
        const brmath::Animation& clip = actor.animations[a];
        for (int t = 0; t < clip.trackCount; ++t) {
            const brmath::AnimTrack& track = clip.tracks[t];
            if (track.joint != nullptr) {
                EXPECT_GE(track.joint, actor.joints);
                EXPECT_LT(track.joint, actor.joints + actor.jointCount);
            }
            if (track.flags != 0 && clip.frameCount > 0) {
                EXPECT_NE(track.keys, nullptr);
            }
        }
    }
    for (int clip = 0; clip < actor.animationCount; ++clip) {
        actor.SetAnimation(clip);
        actor.ProceedAnimation(3);
    }
    brmath_test::RecordingDevice device;
    actor.Render(device.Device());
}

}  // namespace

TEST(FaultInjectionTest, EveryFailedAllocationLeavesTheActorConsistent) {
    brmath_test::TempFolder before, after;
    before.Write("old.md5anim", brmath_test::kTwoFrameHipClip);
    const std::string previous = before.Write("old.md5mesh", brmath_test::ReplaceOnce(brmath_test::kRigMesh, "\"hip\"", "\"knee\""));
    after.Write("a.md5anim", brmath_test::kTwoFrameHipClip);
    after.Write("b.md5anim", brmath_test::MakeLinearClip(6));
    const std::string path = after.Write("rig.md5mesh", brmath_test::kRigMesh);

    Actor actor;
    ASSERT_TRUE(actor.LoadMesh(previous.c_str()));
    int failuresSeen = 0;
    for (int64_t n = 1;; ++n) {
        SCOPED_TRACE(n);
        brmath::FailAllocationAt(n);
        const bool loaded = actor.LoadMesh(path.c_str());
        const int64_t made = brmath::FailAllocationAt(0);
        if (made < n) {  // nothing failed: the load ran to its end
            EXPECT_TRUE(loaded);
            EXPECT_EQ(actor.animationCount, 2);
            break;
        }
        ++failuresSeen;
        if (loaded) {
            // The model loaded; only a clip may have been left out.
            EXPECT_STREQ(actor.joints[1].name, "hip");
            EXPECT_LE(actor.animationCount, 2);
        } else {
            EXPECT_STREQ(actor.joints[1].name, "knee");  // the previous model, untouched
            EXPECT_EQ(actor.animationCount, 1);
        }
        ExpectConsistent(actor);
        if (loaded) {
            ASSERT_TRUE(actor.LoadMesh(previous.c_str()));
        }
    }
    EXPECT_GT(failuresSeen, 10);
}

TEST(FaultInjectionTest, LoadReloadReleaseEveryTestFile) {
    namespace fs = std::filesystem;
    const std::string rig = brmath_test::TestDataPath("rig/rig.md5mesh");
    int files = 0;
    for (const char* folder : {"rig", "malformed"}) {
        for (const auto& entry : fs::directory_iterator(brmath_test::TestDataPath(folder))) {
            const std::string path = entry.path().string();
            const std::string extension = entry.path().extension().string();
            Actor actor;
            if (extension == ".md5mesh") {
                actor.LoadMesh(path.c_str());
                actor.LoadMesh(path.c_str());
            } else if (extension == ".md5anim") {
                ASSERT_TRUE(actor.LoadMesh(rig.c_str()));
                actor.LoadAnimation(path.c_str());
                actor.LoadAnimation(path.c_str());
            } else {
                continue;
            }
            ++files;
            ExpectConsistent(actor);
            actor.Release();
            actor.Release();
            EXPECT_FALSE(actor.IsLoaded());
        }
    }
    EXPECT_GT(files, 40);
}
