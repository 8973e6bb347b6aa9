// The Quake remasters' models as md5tool reads them: PACK archives, clips from the old
// model's frame names, skins with full-bright parts, and the .md5scale.
#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "command_support.h"
#include "frame_names.h"
#include "game_folders.h"
#include "md5_scale.h"
#include "pack_archive.h"
#include "paletted_image.h"
#include "support/md5tool_run.h"
#include "support/quake_files.h"
#include "support/temp_folder.h"

namespace {

using brmath_test::RunMd5tool;

std::string Said(const convert::Diagnostics& diagnostics) {
    std::string text;
    for (const convert::Diagnostic& diagnostic : diagnostics) text += convert::MessageLine(diagnostic) + "\n";
    return text;
}

convert::PackDirectory PackOf(std::string bytes) {
    convert::ArchiveInMemory archive(std::move(bytes));
    return convert::ReadPackDirectory("a.pak", archive);
}

void Put32(std::string& bytes, size_t at, uint32_t value) {
    for (int b = 0; b < 4; ++b) bytes[at + b] = static_cast<char>(value >> (8 * b));
}

TEST(QuakeBaseTest, PackEntriesReadBackAndBadDirectoriesAreRefused) {
    const std::string pack = brmath_test::Pack({{"progs/a.mdl", "abc"}, {"Gfx\\B.lmp", std::string("\0\1", 2)}});
    convert::PackLayer layer("a.pak", std::make_unique<convert::ArchiveInMemory>(pack));
    EXPECT_EQ(layer.Names(), (std::vector<std::string>{"progs/a.mdl", "Gfx/B.lmp"}));
    std::string bytes, why;
    ASSERT_TRUE(layer.Read("Gfx/B.lmp", &bytes, &why));
    EXPECT_EQ(bytes, std::string("\0\1", 2));
    EXPECT_TRUE(layer.Opened().empty());

    const size_t directory = pack.size() - 128;
    auto refused = [](std::string bytes) { return MessageLine(PackOf(std::move(bytes)).failure); };
    EXPECT_EQ(refused("PAK"), "a.pak: error: is not a packfile");
    std::string bad = pack;
    Put32(bad, 8, 100);
    EXPECT_EQ(refused(bad), "a.pak: error: Bad directory length: 100 is not a multiple of 64");
    Put32(bad, 8, 64 * 65537);
    EXPECT_EQ(refused(bad), "a.pak: error: Bad number of files: 65537 (the most read is 65536)");
    bad = pack;
    Put32(bad, 4, static_cast<uint32_t>(directory + 64));
    EXPECT_EQ(refused(bad), "a.pak: error: Bad directory: 128 bytes at " + std::to_string(directory + 64) +
                                " run past the file's " + std::to_string(pack.size()));

    // Entries that cannot be trusted are left out, and the rest read.
    std::string entries = brmath_test::Pack({{"../up.txt", "x"}, {"a", "y"}, {"b", "z"}, {"A", "w"}, {"c", "v"}});
    const size_t first = entries.size() - 5 * 64;
    Put32(entries, first + 2 * 64 + 60, 1000);              // b: its data past the file
    entries.replace(first + 4 * 64, 56, std::string(56, 'n'));  // c: no terminator
    const convert::PackDirectory read = PackOf(entries);
    ASSERT_TRUE(read.read);
    ASSERT_EQ(read.entries.size(), 1u);
    EXPECT_EQ(read.entries[0].name, "a");
    EXPECT_EQ(Said(read.warnings),
              "a.pak: warning: entry \"../up.txt\" names a place outside the archive; left out\n"
              "a.pak: warning: entry \"b\" has data that runs past the file; left out\n"
              "a.pak: warning: entry \"A\" is in the archive twice; the first is read\n"
              "a.pak: warning: entry 4 has a name without a terminator; left out\n");
}

TEST(QuakeBaseTest, AGameFolderPutsItsPaksOverItsLooseFilesInNumberOrder) {
    const brmath_test::TempFolder folder;
    folder.MakeSubfolder("id1");
    folder.MakeSubfolder("id1/gfx");
    folder.Write("id1/gfx/a.txt", "loose");
    folder.Write("id1/gfx/loose.txt", "loose");
    folder.Write("id1/pak0.pak", brmath_test::Pack({{"gfx/a.txt", "pak0"}, {"gfx/b.txt", "pak0"}}));
    folder.Write("id1/pak10.pak", brmath_test::Pack({{"gfx/b.txt", "pak10"}}));
    folder.Write("id1/pak2.pak", brmath_test::Pack({{"gfx/b.txt", "pak2"}}));
    convert::GameBase base;
    std::ostringstream err;
    ASSERT_TRUE(md5tool::OpenBases({folder.Path() + "/id1"}, &base, err)) << err.str();
    EXPECT_EQ(*base.Bytes("gfx/a.txt"), "pak0");
    EXPECT_EQ(*base.Bytes("gfx/b.txt"), "pak10");
    EXPECT_EQ(*base.Bytes("gfx/loose.txt"), "loose");
}

TEST(QuakeBaseTest, FrameNamesMakeTheClips) {
    const auto runs = convert::FrameSequences({"stand1", "stand2", "run1", "run2", "run3", "death101", "death102",
                                              "death201", "pose", "pose", "001", "stand1"});
    std::string text;
    for (const auto& run : runs) text += run.name + " " + std::to_string(run.first) + "+" + std::to_string(run.count) + "\n";
    EXPECT_EQ(text, "stand 0+2\nrun 2+3\ndeath 5+2\ndeath2 7+1\npose 8+2\nframe 10+1\nstand2 11+1\n");

    const brmath_test::TempFolder folder;
    const brmath_test::QuakeFiles files = brmath_test::WriteQuakeFiles(folder);
    for (const auto& [model, base] : {std::pair{"progs/soldier.mdl", files.quake},
                                      std::pair{"PROGS/soldier.md5mesh", files.quake},
                                      std::pair{"models/soldier/tris.md2", files.quake2 + "/pak0.pak"},
                                      std::pair{"models/soldier/md5/tris.md5mesh", files.quake2}}) {
        const auto run = RunMd5tool({"info", model, "--base", base});
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_NE(run.out.find("4 joints, 3 meshes, 2 clips"), std::string::npos) << run.out;
        // The ports' 0.1 s a frame, not the file's 24 frames a second.
        EXPECT_NE(run.out.find("  0 stand: 3 frames at 10 fps"), std::string::npos) << run.out;
        EXPECT_NE(run.out.find("  1 run: 3 frames at 10 fps"), std::string::npos) << run.out;
    }
    const auto listed = RunMd5tool({"list", "--base", files.quake, "--base", files.quake2});
    EXPECT_EQ(listed.out, "progs/soldier.mdl: progs/soldier.md5mesh; clips stand, run; skins 2 of 2\n"
                          "models/soldier/tris.md2: models/soldier/md5/tris.md5mesh; clips stand, run; skins 1 of 1\n")
        << listed.err;
    // The run clip's frame 1 is the whole clip's frame 4: the origin four units along.
    const auto posed = RunMd5tool({"pose", "progs/soldier.mdl", "--base", files.quake, "--clip", "run", "--frame", "1"});
    EXPECT_NE(posed.out.find("frame 1 of clip 1 (run)"), std::string::npos) << posed.out << posed.err;
    EXPECT_NE(posed.out.find("0 origin               (4, 0, 0)"), std::string::npos) << posed.out;
}

}  // namespace
