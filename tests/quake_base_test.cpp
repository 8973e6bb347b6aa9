// The Quake remasters' models as md5tool reads them: PACK archives, clips from the old
// model's frame names, skins with full-bright parts, and the .md5scale.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "command_support.h"
#include "support/gltf_files.h"
#include "tinygltf_settings.h"
#include "frame_names.h"
#include "game_folders.h"
#include "md5_scale.h"
#include "pack_archive.h"
#include "quake_writer.h"
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
    const std::string pack = convert::WritePack({{"progs/a.mdl", "abc"}, {"Gfx\\B.lmp", std::string("\0\1", 2)}});
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
    std::string entries = convert::WritePack({{"../up.txt", "x"}, {"a", "y"}, {"b", "z"}, {"A", "w"}, {"c", "v"}});
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
    folder.Write("id1/pak0.pak", convert::WritePack({{"gfx/a.txt", "pak0"}, {"gfx/b.txt", "pak0"}}));
    folder.Write("id1/pak10.pak", convert::WritePack({{"gfx/b.txt", "pak10"}}));
    folder.Write("id1/pak2.pak", convert::WritePack({{"gfx/b.txt", "pak2"}}));
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

// A model of a base, loaded as md5tool loads it.
struct Opened {
    md5tool::ModelFiles files;
    convert::LoadedModel model;
    std::string said;
};

std::unique_ptr<Opened> Open(const std::string& base, const std::string& name) {
    auto opened = std::make_unique<Opened>();
    opened->files.bases = {base};
    std::ostringstream said;
    opened->model = md5tool::LoadForCommand(opened->files, name, said, said);
    opened->said = said.str();
    EXPECT_TRUE(opened->model.loaded) << opened->said;
    return opened;
}

std::vector<float> Posed(convert::LoadedModel& model, int mesh, int clip, int frame) {
    model.actor->SetAnimation(clip);
    convert::ProceedAnimation(model, frame);
    std::vector<float> corners;
    const brmath::Mesh& posed = model.actor->meshes[mesh];
    for (int v = 0; v < posed.vertexCount; ++v) {
        const brmath::Vector3& p = posed.vertices[v].position;
        corners.insert(corners.end(), {p.x, p.y, p.z});
    }
    return corners;
}

TEST(QuakeBaseTest, TheScaleHidesAndGrowsPartsAtTheirFrames) {
    const brmath_test::TempFolder folder;
    const brmath_test::QuakeFiles files = brmath_test::WriteQuakeFiles(folder);
    auto quake2 = Open(files.quake2, "models/soldier/tris.md2");
    auto quake = Open(files.quake, "progs/soldier.mdl");  // the same model without a scale
    convert::LoadedModel& scaled = quake2->model;
    // Whole-clip frame 4 (run, frame 1): the head's own weights fall onto the head joint
    // at (4, 0, 4); the eye's vertex, a child's, stays where it was.
    EXPECT_EQ(Posed(scaled, 1, 1, 1), (std::vector<float>{4, 0, 4, 4, 0, 4, 5, 0, 6}));
    EXPECT_EQ(Posed(quake->model, 1, 1, 1), (std::vector<float>{5, 0, 4, 4, 1, 4, 5, 0, 6}));
    // Frame 5: the weapon's translation (2, 0, 2) doubled, then its weights twice as far.
    EXPECT_EQ(Posed(scaled, 2, 1, 2), (std::vector<float>{11, 0, 4, 9, 2, 4, 9, 0, 6}));
    EXPECT_EQ(Posed(scaled, 0, 1, 2), Posed(quake->model, 0, 1, 2));
    // A frame the scale leaves alone is posed exactly as without it, normals included.
    for (int frame = 0; frame < 3; ++frame) {
        Posed(scaled, 2, 0, frame);
        Posed(quake->model, 2, 0, frame);
        for (int m = 0; m < 3; ++m) {
            for (int v = 0; v < 3; ++v) {
                const brmath::MeshVertex& a = scaled.actor->meshes[m].vertices[v];
                const brmath::MeshVertex& b = quake->model.actor->meshes[m].vertices[v];
                EXPECT_EQ(0, std::memcmp(&a, &b, sizeof(a))) << frame << " " << m << " " << v;
            }
        }
    }
}

TEST(QuakeBaseTest, ScaleFileMessagesAreThePorts) {
    auto warned = [](const std::string& text) {
        brmath::ModelRecords model;
        brmath::Joint joints[1] = {};
        std::snprintf(joints[0].name, sizeof(joints[0].name), "head");
        model.joints = joints;
        model.jointCount = 1;
        convert::Diagnostics said;
        const convert::Md5Scale scale = convert::ReadMd5Scale(text, "t.md5scale", model, 6, &said);
        return std::to_string(scale.joints.empty() ? 0 : scale.joints[0].frames.size()) + "\n" + Said(said);
    };
    EXPECT_EQ(warned("{\"head\": {\"5\": 0.5, \"6\": 2, \"x\": 1}, \"tail\": {}}"),
              "1\nt.md5scale: warning: No such frame 6 in t.md5scale\n"
              "t.md5scale: warning: No such frame x in t.md5scale\n"
              "t.md5scale: warning: No such joint \"tail\" in t.md5scale\n");
    EXPECT_EQ(warned("{\"head\": {\"1\": 1e39, \"2\": \"big\"}}"),
              "0\nt.md5scale: warning: joint \"head\" frame 1: the scale is not a finite number; left out\n"
              "t.md5scale: warning: joint \"head\" frame 2: the scale is not a finite number; left out\n");
    EXPECT_EQ(warned("{\"head\": "), "0\nt.md5scale: warning: Couldn't load t.md5scale: Invalid JSON data\n");
    EXPECT_EQ(warned(std::string(100000, '[')),
              "0\nt.md5scale: warning: Couldn't load t.md5scale: Invalid JSON data (nested deeper than 32)\n");
}

TEST(QuakeBaseTest, SkinsShowTheirFullBrightPartsUnlit) {
    const brmath_test::TempFolder folder;
    const brmath_test::QuakeFiles files = brmath_test::WriteQuakeFiles(folder);
    auto quake = Open(files.quake, "progs/soldier.mdl");
    const convert::ModelMaps maps = quake->files.MapsOf(*quake->model.actor);
    ASSERT_EQ(maps.meshes.size(), 3u) << Said(maps.warnings);
    // The pak's skin, not the loose one: index i is (i, 255 - i, i / 2), and index 250
    // shines, black where it is lit.
    const convert::SurfaceMaps& body = maps.meshes[0];
    EXPECT_EQ(body.diffuseText, "progs/soldier_00_00.lmp");
    EXPECT_EQ(std::vector<uint8_t>(body.diffuse.pixels.begin(), body.diffuse.pixels.begin() + 16),
              (std::vector<uint8_t>{10, 245, 5, 255, 20, 235, 10, 255, 30, 225, 15, 255, 0, 0, 0, 255}));
    ASSERT_TRUE(body.emissiveFound);
    EXPECT_EQ(std::vector<uint8_t>(body.emissive.pixels.begin(), body.emissive.pixels.begin() + 16),
              (std::vector<uint8_t>{0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255, 250, 5, 125, 255}));
    const convert::SurfaceMaps& weapon = maps.meshes[2];
    EXPECT_EQ(weapon.diffuseText, "progs/weapon_00_00.png");
    EXPECT_EQ(weapon.emissiveText, "progs/weapon_00_00_glow.png");
    EXPECT_EQ(weapon.emissive.At(1, 1)[1], 200);
    // Quake 2's skin is the .md2's, with its own palette and no full brights.
    auto quake2 = Open(files.quake2, "models/soldier/tris.md2");
    const convert::ModelMaps maps2 = quake2->files.MapsOf(*quake2->model.actor);
    ASSERT_EQ(maps2.meshes.size(), 3u);
    EXPECT_EQ(maps2.meshes[1].diffuseText, "models/soldier/md5/skin.pcx");
    EXPECT_FALSE(maps2.meshes[1].emissiveFound);
    EXPECT_EQ(std::vector<uint8_t>(maps2.meshes[1].diffuse.pixels.begin(), maps2.meshes[1].diffuse.pixels.end()),
              (std::vector<uint8_t>{5, 250, 2, 255, 250, 5, 125, 255, 200, 55, 100, 255, 7, 248, 3, 255}));
}

TEST(QuakeBaseTest, BrokenOldFilesAreSaidAndTheRestShown) {
    // Images whose sizes do not match their bytes.
    convert::PalettedImage image;
    std::string why;
    EXPECT_FALSE(convert::DecodeLmp(convert::WriteLmp(4, 4, {1, 2, 3}), &image, &why));
    EXPECT_EQ(why, "says 4 x 4 pixels but holds 3");
    EXPECT_FALSE(convert::DecodeLmp(convert::WriteLmp(-1, 4, {}), &image, &why));
    EXPECT_EQ(why, "has a size of -1 x 4, which is not read");
    std::string pcx = brmath_test::Pcx(2, 2, {1, 2, 3, 4});
    pcx.erase(130, 2);
    EXPECT_FALSE(convert::DecodePcx(pcx, &image, &why));
    EXPECT_EQ(why, "says 2 x 2 pixels but its data ends at row 1");
    // Old models whose counts or offsets run past the file.
    convert::OldModel old;
    convert::Diagnostic failure;
    const std::string mdl = convert::WriteMdl({"a1", "a2"});
    EXPECT_FALSE(convert::ReadMdl(mdl.substr(0, mdl.size() - 1), "a.mdl", &old, &failure));
    EXPECT_EQ(MessageLine(failure), "a.mdl: error: frame 1 runs past the file");
    std::string md2 = convert::WriteMd2({"a1"}, {"skin.pcx"});
    md2[44] = 0x7f;
    EXPECT_FALSE(convert::ReadMd2(md2, "a.md2", &old, &failure));
    EXPECT_EQ(MessageLine(failure), "a.md2: error: its skin list runs past the file");

    // In a base: the model still opens, one clip and a white skin, with the messages.
    const brmath_test::TempFolder folder;
    folder.MakeSubfolder("id1");
    folder.Write("id1/pak0.pak", convert::WritePack({{"progs/s.mdl", mdl.substr(0, 90)},
                                                    {"progs/s.md5mesh", brmath_test::SoldierMesh()},
                                                    {"progs/s.md5anim", brmath_test::SoldierClip()},
                                                    {"progs/soldier_00_00.lmp", convert::WriteLmp(9, 9, {})}}));
    const auto run = RunMd5tool({"info", "progs/s.mdl", "--base", folder.Path() + "/id1"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("  0 s: 6 frames at 10 fps"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("progs/s.mdl: warning: its texture coordinates or triangles run past the file; the clip is not split"),
              std::string::npos) << run.out;
    EXPECT_NE(run.out.find("progs/soldier_00_00.lmp: warning: says 9 x 9 pixels but holds 0"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("weapon: warning: skin weapon_00_00 is not in the base"), std::string::npos) << run.out;
}

// A mesh for one rule: `joints` joints in a chain, then `meshes` meshes of `vertices` vertices with `weights` weights
// each (on joints 0, 1, ... as far as there are joints; biases 0.5 then equal shares of
// the rest), the first vertex weightless with `bare`.
struct MeshRule {
    int joints = 1, meshes = 1, vertices = 3, weights = 1;
    bool bare = false;
    std::string jointName = "j";
};

std::string MeshText(const MeshRule& rule) {
    std::ostringstream text;
    text << "MD5Version 10\ncommandline \"\"\nnumJoints " << rule.joints << "\nnumMeshes " << rule.meshes << "\njoints {\n";
    for (int j = 0; j < rule.joints; ++j) {
        text << "\t\"" << rule.jointName << j << "\" " << j - 1 << " ( 0 0 " << j << " ) ( 0 0 0 )\n";
    }
    text << "}\n";
    for (int m = 0; m < rule.meshes; ++m) {
        const int weighted = rule.bare ? rule.vertices - 1 : rule.vertices;
        text << "mesh {\n\tshader \"s\"\n\tnumverts " << rule.vertices << "\n";
        for (int v = 0; v < rule.vertices; ++v) {
            const bool bare = rule.bare && v == 0;
            text << "\tvert " << v << " ( 0 0 ) " << (bare ? 0 : (v - (rule.bare ? 1 : 0)) * rule.weights) << " "
                 << (bare ? 0 : rule.weights) << "\n";
        }
        text << "\tnumtris 1\n\ttri 0 0 1 2\n\tnumweights " << weighted * rule.weights << "\n";
        for (int w = 0; w < weighted * rule.weights; ++w) {
            const float bias = rule.weights == 1 ? 1.0f : (w % rule.weights == 0 ? 0.5f : 0.5f / (rule.weights - 1));
            text << "\tweight " << w << " " << (w % rule.weights) % rule.joints << " " << bias << " ( 1 0 0 )\n";
        }
        text << "}\n";
    }
    return text.str();
}

TEST(QuakeBaseTest, EachTargetRefusesInItsEnginesWords) {
    const brmath_test::TempFolder folder;
    struct Case {
        std::string target;
        MeshRule rule;
        std::string said;  // expected in the output
    };
    MeshRule joints257, bare, fiveWeights, long48, verts6145, meshes33, weights8193, verts65537;
    joints257.joints = 257;
    bare.bare = true;
    fiveWeights.weights = 5;
    long48.jointName = std::string(47, 'n');
    verts6145.vertices = 6145;
    meshes33.meshes = 33;
    weights8193.vertices = 2049;
    weights8193.weights = 4;
    verts65537.vertices = 65537;
    const std::vector<Case> cases = {
        {"bfg", joints257, "m.md5mesh:3: error: bfg: joints 257, over the 256 it takes"},
        {"quake2", joints257, "m.md5mesh:3: error: quake2: joints 257, over the 256 it takes"},
        {"doom3", bare, "m.md5mesh:11: error: doom3: Vertex without any joint weights."},
        {"quake", bare, "m.md5mesh:11: warning: quake: mesh 0: vertex 0 has no weights: the engine places it at the origin"},
        {"bfg", fiveWeights, "m.md5mesh:8: warning: bfg: mesh 0: the engine keeps the 4 strongest weights a vertex: "
                             "3 vertices lose weight, at most 12.5% of it"},
        {"quake2", long48, "m.md5mesh:6: error: quake2: joint name \"" + std::string(47, 'n') + "0\" has 48 bytes, over the 47 it takes"},
        {"quake2", verts6145, "m.md5mesh:8: error: quake2: mesh 0: vertices 6145, over the 6144 it takes"},
        {"quake2", meshes33, "m.md5mesh: error: quake2: meshes 33, over the 32 it takes"},
        {"quake2", weights8193, "m.md5mesh:2062: error: quake2: mesh 0: weights 8196, over the 8192 it takes"},
        {"bfg", verts65537, "m.md5mesh:8: error: bfg: mesh 0: vertices 65537, over the 65536 it takes"},
    };
    for (const Case& c : cases) {
        const std::string file = folder.Write("m.md5mesh", MeshText(c.rule));
        const auto run = RunMd5tool({"check", file, "--target", c.target});
        EXPECT_NE(run.out.find(c.said), std::string::npos) << c.target << "\n" << run.out << run.err;
        const bool refused = c.said.find(": error: ") != std::string::npos;
        EXPECT_EQ(run.status, refused ? 1 : 0) << c.said;
        // The library's own rules take each of them.
        EXPECT_EQ(RunMd5tool({"check", file}).status, 0) << c.said;
    }
    // Clips: a second root, a parent after its child, frames past the port's, joints that differ.
    const std::string mesh = folder.Write("c.md5mesh", MeshText(MeshRule{}));
    auto clip = [&](const std::string& hierarchy, int frames, int joints) {
        std::ostringstream text;
        text << "MD5Version 10\ncommandline \"\"\nnumFrames " << frames << "\nnumJoints " << joints
             << "\nframeRate 24\nnumAnimatedComponents 0\nhierarchy {\n" << hierarchy << "}\nbounds {\n";
        for (int f = 0; f < frames; ++f) text << "( 0 0 0 ) ( 1 1 1 )\n";
        text << "}\nbaseframe {\n";
        for (int j = 0; j < joints; ++j) text << "( 0 0 0 ) ( 0 0 0 )\n";
        text << "}\n";
        for (int f = 0; f < frames; ++f) text << "frame " << f << " {\n}\n";
        return folder.Write("c.md5anim", text.str());
    };
    auto said = [&](const std::string& file, const std::string& target) {
        return RunMd5tool({"check", file, "--mesh", mesh, "--target", target}).out;
    };
    const std::string roots = clip("\"j0\" -1 0 0\n\"k\" -1 0 0\n", 2, 2);
    EXPECT_NE(said(roots, "doom3").find("c.md5anim: error: doom3: Animations may have only one root joint"), std::string::npos);
    EXPECT_NE(said(roots, "doom3").find("c.md5anim:4: error: doom3: Model '" + mesh + "' has different # of joints than anim"),
              std::string::npos) << said(roots, "doom3");
    EXPECT_NE(said(roots, "quake2").find("c.md5anim:4: error: quake2: Bad numJoints: "), std::string::npos);
    const std::string late = clip("\"j0\" 0 0 0\n", 2, 1);
    EXPECT_NE(said(late, "doom3").find("c.md5anim:8: error: doom3: Invalid parent num: 0"), std::string::npos) << said(late, "doom3");
    EXPECT_NE(said(late, "quake2").find("c.md5anim:8: error: quake2: Bad parent joint"), std::string::npos);
    EXPECT_NE(said(clip("\"j0\" -1 0 0\n", 1025, 1), "quake2").find("c.md5anim:3: error: quake2: frames 1025, over the 1024 it takes"),
              std::string::npos);
    EXPECT_NE(said(clip("\"x\" -1 0 0\n", 2, 1), "quake").find("c.md5anim:4: error: quake: bone j0 was renamed: "),
              std::string::npos);
    // Several targets at once, each named.
    const auto both = RunMd5tool({"check", mesh, "--target", "doom3", "--target", "quake2"});
    EXPECT_EQ(both.status, 0) << both.out;
    EXPECT_EQ(RunMd5tool({"check", mesh, "--target", "quake3"}).status, 2);
}

TEST(QuakeBaseTest, ExportKeysTheScaleAndImportGivesItBack) {
    const brmath_test::TempFolder folder;
    const brmath_test::QuakeFiles files = brmath_test::WriteQuakeFiles(folder);
    const std::string glb = folder.File("soldier.glb");
    const auto exported = RunMd5tool({"export", "models/soldier/tris.md2", "--base", files.quake2, "-o", glb});
    ASSERT_EQ(exported.status, 0) << exported.err;
    convert::GltfScene scene;
    std::string error;
    ASSERT_TRUE(brmath_test::LoadScene(scene, glb, &error)) << error;
    const tinygltf::Model& model = scene.Model();
    // The scaled joints' scale-only children, after the four joints, in the skin.
    ASSERT_GE(model.nodes.size(), 6u);
    EXPECT_EQ(model.nodes[4].name, "head.scale");
    EXPECT_EQ(model.nodes[5].name, "weapon.scale");
    EXPECT_TRUE(model.nodes[5].extras.Get("md5scale").Get("scale_positions").Get<bool>());
    EXPECT_EQ(model.skins[0].joints.size(), 6u);
    // The run clip, 0.1 s a frame: its frame 1 hides the head, its frame 2 doubles the weapon.
    ASSERT_EQ(model.animations.size(), 2u);
    const tinygltf::Animation& run = model.animations[1];
    EXPECT_EQ(run.name, "run");
    std::vector<int> scaledNodes;
    for (const tinygltf::AnimationChannel& channel : run.channels) {
        if (channel.target_path != "scale") continue;
        scaledNodes.push_back(channel.target_node);
        const tinygltf::Accessor& times = model.accessors[static_cast<size_t>(run.samplers[static_cast<size_t>(channel.sampler)].input)];
        EXPECT_FLOAT_EQ(static_cast<float>(times.maxValues[0]), 0.3f);
    }
    EXPECT_EQ(scaledNodes, (std::vector<int>{4, 5}));

    const auto imported = RunMd5tool({"import", glb, "-o", folder.File("back")});
    ASSERT_EQ(imported.status, 0) << imported.err;
    EXPECT_EQ(brmath_test::ReadFileBytes(folder.File("back/soldier_run.md5scale")),
              "{\n\t\"head\": {\n\t\t\"scale_positions\": false,\n\t\t\"1\": 0\n\t},\n"
              "\t\"weapon\": {\n\t\t\"scale_positions\": true,\n\t\t\"2\": 2\n\t}\n}\n");
    EXPECT_EQ(brmath_test::ReadFileBytes(folder.File("back/soldier_stand.md5scale")), "");
    // The weapon's translation is written unscaled, as the .md5scale scales it.
    const std::string clip = brmath_test::ReadFileBytes(folder.File("back/soldier_run.md5anim"));
    EXPECT_EQ(clip.find("weapon.scale"), std::string::npos);
    EXPECT_NE(clip.find("\"weapon\""), std::string::npos);
    // Laid out as Quake 2's files again, it poses as the original did.
    folder.MakeSubfolder("again");
    folder.MakeSubfolder("again/md5");
    folder.Write("again/tris.md2", convert::WriteMd2({"run1", "run2", "run3"}, {}));
    for (const auto& [from, to] : {std::pair{"soldier.md5mesh", "tris.md5mesh"}, std::pair{"soldier_run.md5anim", "tris.md5anim"},
                                   std::pair{"soldier_run.md5scale", "tris.md5scale"}}) {
        folder.Write(std::string("again/md5/") + to, brmath_test::ReadFileBytes(folder.File(std::string("back/") + from)));
    }
    auto again = Open(folder.Path(), "again/tris.md2");
    const std::vector<float> weapon = Posed(again->model, 2, 0, 2), head = Posed(again->model, 1, 0, 1);
    const std::vector<float> weaponWas = {11, 0, 4, 9, 2, 4, 9, 0, 6}, headWas = {4, 0, 4, 4, 0, 4, 5, 0, 6};
    for (size_t c = 0; c < 9; ++c) {
        EXPECT_NEAR(weapon[c], weaponWas[c], 1e-5) << c;
        EXPECT_NEAR(head[c], headWas[c], 1e-5) << c;
    }
}

TEST(QuakeBaseTest, ImportMakesTheFilesFitTheTargetOrSaysWhyNot) {
    const brmath_test::TempFolder folder;
    MeshRule fiveWeights, joints257;
    fiveWeights.weights = 5;
    fiveWeights.joints = 5;
    joints257.joints = 257;
    const std::string five = folder.File("five.glb"), many = folder.File("many.glb");
    ASSERT_EQ(RunMd5tool({"export", folder.Write("five.md5mesh", MeshText(fiveWeights)), "-o", five}).status, 0);
    ASSERT_EQ(RunMd5tool({"export", folder.Write("many.md5mesh", MeshText(joints257)), "-o", many}).status, 0);
    const auto fitted = RunMd5tool({"import", five, "-o", folder.File("fit"), "--target", "bfg"});
    ASSERT_EQ(fitted.status, 0) << fitted.err;
    EXPECT_NE(fitted.err.find("warning: bfg: 3 vertices kept their 4 strongest weights, renormalised, as the engine takes them"),
              std::string::npos) << fitted.err;
    const auto check = RunMd5tool({"check", folder.File("fit/five.md5mesh"), "--target", "bfg", "--target", "quake2"});
    EXPECT_EQ(check.status, 0) << check.out;
    EXPECT_EQ(check.out.find("warning"), std::string::npos) << check.out;
    EXPECT_NE(check.out.find("12 weights"), std::string::npos) << check.out;
    const auto refused = RunMd5tool({"import", many, "-o", folder.File("no"), "--target", "quake2"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("error: quake2: joints 257, over the 256 it takes"), std::string::npos) << refused.err;
    EXPECT_EQ(RunMd5tool({"import", many, "-o", folder.File("yes"), "--target", "doom3"}).status, 0);
}

}  // namespace
