// Shapes of files written by other tools, special files, folder listings and a device
// that calls back: what real hosts and real files bring.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#if !defined(_WIN32)
#include <sys/stat.h>
#endif

#include "actor/actor.h"
#include "brmath/brmath.h"
#include "md5/read_failure.h"
#include "support/actor_snapshot.h"
#include "support/recording_device.h"
#include "support/sample_models.h"
#include "support/temp_folder.h"

namespace {

const std::string kRobotFolder = std::string(BRMATH_SAMPLES_DIR) + "/robot/";
const char* const kRobotFiles[] = {"robot.md5mesh", "idle.md5anim", "walk.md5anim", "wave.md5anim"};

// The text as an exporter that glues parentheses to numbers, ends lines with
// comments (holding quotes, parentheses and braces) and writes CR LF would write it.
std::string AsOddExporterWrites(const std::string& text) {
    std::string out;
    for (size_t at = 0; at < text.size();) {
        const size_t end = std::min(text.find('\n', at), text.size());
        std::string line = text.substr(at, end - at);
        for (size_t p; (p = line.find("( ")) != std::string::npos;) line.erase(p + 1, 1);
        for (size_t p; (p = line.find(" )")) != std::string::npos;) line.erase(p, 1);
        if (!line.empty()) line += " // \"x\" ( ) { }";
        out += line + "\r\n";
        at = end + 1;
    }
    return out;
}

// Every clip of an actor posed at a few frames, one pose after another.
std::vector<brmath::MeshVertex> EveryClipPosed(brmath::Actor& actor) {
    std::vector<brmath::MeshVertex> poses = brmath_test::Snapshot(actor);
    for (int clip = 0; clip < actor.animationCount; ++clip) {
        actor.SetAnimation(clip);
        for (int frame : {0, 5, 17}) {
            actor.ProceedAnimation(frame);
            const std::vector<brmath::MeshVertex> pose = brmath_test::Snapshot(actor);
            poses.insert(poses.end(), pose.begin(), pose.end());
        }
    }
    return poses;
}

}  // namespace

TEST(RealWorldFilesTest, GluedParenthesesAndLineEndCommentsReadAsTheTidyFiles) {
    brmath_test::TempFolder odd;
    for (const char* name : kRobotFiles) {
        odd.Write(name, AsOddExporterWrites(brmath_test::ReadFileBytes(kRobotFolder + name)));
    }
    brmath::Actor tidyActor, oddActor;
    ASSERT_TRUE(tidyActor.LoadMesh((kRobotFolder + "robot.md5mesh").c_str()));
    brmath::ReadFailure failure;
    ASSERT_TRUE(oddActor.LoadMesh(odd.File("robot.md5mesh").c_str(), &failure)) << failure.line << failure.message;
    ASSERT_EQ(oddActor.animationCount, 3);
    EXPECT_TRUE(brmath_test::SameBits(EveryClipPosed(oddActor), EveryClipPosed(tidyActor)));
}

TEST(RealWorldFilesTest, TooLongNumbersAreQuotedAsWritten) {
    brmath_test::TempFolder folder;
    const std::string mesh =
        brmath_test::ReplaceOnce(brmath_test::kRigMesh, "tri 0 0 1 2", "tri 0 0 1 4294967296");
    brmath::Actor actor;
    brmath::ReadFailure failure;
    EXPECT_FALSE(actor.LoadMesh(folder.Write("rig.md5mesh", mesh).c_str(), &failure));
    EXPECT_STREQ(failure.message, "expected a vertex index from 0 to 2, found 4294967296");
}

// (WebAssembly's file systems have no named pipes.)
#if !defined(_WIN32) && !defined(__EMSCRIPTEN__)
TEST(RealWorldFilesTest, NamedPipesAreNeverOpened) {
    // Opening a pipe for reading waits for a writer: neither load may block.
    brmath_test::TempFolder folder;
    ASSERT_EQ(mkfifo(folder.File("pipe.md5mesh").c_str(), 0600), 0);
    brmath::Actor actor;
    brmath::ReadFailure failure;
    EXPECT_FALSE(actor.LoadMesh(folder.File("pipe.md5mesh").c_str(), &failure));
    EXPECT_STREQ(failure.message, "cannot open or read the file");

    ASSERT_EQ(mkfifo(folder.File("a.md5anim").c_str(), 0600), 0);
    folder.Write("b.md5anim", brmath_test::kTwoFrameHipClip);
    ASSERT_TRUE(actor.LoadMesh(folder.Write("rig.md5mesh", brmath_test::kRigMesh).c_str()));
    EXPECT_EQ(actor.animationCount, 1);
}
#endif

TEST(RealWorldFilesTest, ClipsAreNumberedAsAWindowsListingOrdersThem) {
    // NTFS compares names upper-cased: 'F' (0x46) comes before '_' (0x5F).
    brmath_test::TempFolder folder;
    for (const char* name : {"walk_left", "walkfast", "walk"}) {
        folder.Write(std::string(name) + ".md5anim", brmath_test::kTwoFrameHipClip);
    }
    brmath::Actor actor;
    ASSERT_TRUE(actor.LoadMesh(folder.Write("rig.md5mesh", brmath_test::kRigMesh).c_str()));
    ASSERT_EQ(actor.animationCount, 3);
    EXPECT_STREQ(actor.animations[0].name, "walk");
    EXPECT_STREQ(actor.animations[1].name, "walkfast");
    EXPECT_STREQ(actor.animations[2].name, "walk_left");
}

TEST(RealWorldFilesTest, ADeviceCannotReplaceTheActorItIsDrawing) {
    constexpr int kSlot = 7;
    brmath_test::TempFolder folder;
    const std::string rig = folder.Write("rig.md5mesh", brmath_test::kRigMesh);
    ASSERT_EQ(MD5_LoadActor(kSlot, (kRobotFolder + "robot.md5mesh").c_str()), 1);
    brmath_test::RecordingDevice device;
    std::vector<int> reloads;
    device.onDraw = [&] { reloads.push_back(MD5_LoadActor(kSlot, rig.c_str())); };
    const int drawn = MD5_RenderActor(kSlot, device.Device());
    EXPECT_EQ(reloads, std::vector<int>(device.calls.size() / 2, 0));  // every reload refused
    EXPECT_EQ(drawn, 3 * 4928);  // the robot's second mesh, drawn whole
    device.onDraw = nullptr;
    EXPECT_EQ(MD5_LoadActor(kSlot, rig.c_str()), 1);  // once drawing is over, it may
}
