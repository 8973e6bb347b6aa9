// A game's base as md5tool reads it: .pk4 archives and loose folders, model declarations
// and the messages for what the game would refuse.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <sstream>
#include <nlohmann/json.hpp>
#include <string>
#include <utility>
#include <vector>

#include "archive_layer.h"
#include "command_support.h"
#include "commands.h"
#include "game_base.h"
#include "image_program.h"
#include "rasterizer.h"
#include "surface_maps.h"
#include "support/game_files.h"
#include "support/md5tool_run.h"
#include "support/temp_folder.h"

namespace {

using brmath_test::Pk4;
using brmath_test::RunMd5tool;

std::unique_ptr<convert::ArchiveLayer> Layer(const std::string& name, std::string bytes) {
    return std::make_unique<convert::ArchiveLayer>(name, std::make_unique<convert::ArchiveInMemory>(std::move(bytes)));
}

std::string Said(const convert::Diagnostics& diagnostics) {
    std::string text;
    for (const convert::Diagnostic& diagnostic : diagnostics) text += convert::MessageLine(diagnostic) + "\n";
    return text;
}

// Sets a little-endian field of the first directory record.
std::string Patched(std::string archive, int field, uint32_t value, int width) {
    const size_t end = archive.size() - 22;
    size_t directory = 0;
    for (int b = 3; b >= 0; --b) directory = directory << 8 | static_cast<unsigned char>(archive[end + 16 + b]);
    for (int b = 0; b < width; ++b) archive[directory + field + b] = static_cast<char>(value >> (8 * b));
    return archive;
}

TEST(GameBaseTest, EntriesReadBackExactlyAndLaterLayersWin) {
    const std::string text(5000, 'x');
    const std::string binary("\x01\x02\x00\xff", 4);
    convert::GameBase base;
    base.AddLayer(Layer("pak000.pk4", Pk4({{"Models/A.txt", text}, {"models/b.bin", binary}, {"models/z.md5anim", "z"}})));
    base.AddLayer(Layer("pak001.pk4", Pk4({{"models\\c.md5anim", "c"}, {"MODELS/b.bin", "later"}})));
    ASSERT_NE(base.Bytes("models/a.TXT"), nullptr);
    EXPECT_EQ(*base.Bytes("models\\a.txt"), text);
    EXPECT_EQ(*base.Bytes("models/B.bin"), "later");
    EXPECT_EQ(base.Where("models/b.bin"), "pak001.pk4");
    EXPECT_EQ(base.Bytes("models/none"), nullptr);
    std::vector<std::string> listed;
    base.List(".\\models\\*.MD5ANIM", [](void* context, const char* name) {
        static_cast<std::vector<std::string>*>(context)->push_back(name);
    }, &listed);
    EXPECT_EQ(listed, (std::vector<std::string>{"c.md5anim", "z.md5anim"}));
    EXPECT_EQ(Said(base.Messages()), "");
}

TEST(GameBaseTest, RefusesEntriesAndDirectoriesItCannotTrust) {
    const std::string one = Pk4({{"def/a.def", std::string(3000, 'a')}});
    const std::pair<std::string, std::string> cases[] = {
        {Pk4({{"../up.def", "x"}}), "entry \"../up.def\" names a place outside the archive; left out"},
        {Pk4({{"/root.def", "x"}}), "entry \"/root.def\" names a place outside the archive"},
        {Pk4({{"C:/drive.def", "x"}}), "entry \"C:/drive.def\" names a place outside the archive"},
        {Patched(one, 8, 1, 2), "entry \"def/a.def\" is encrypted; left out"},
        {Patched(one, 10, 12, 2), "uses compression method 12, which is not read"},
        {Patched(one, 24, 0x7fffffff, 4), "would be larger than 1 GiB"},
        {Patched(one, 24, 900000, 4), "would inflate more than 1000 times its size"},
        {Pk4({{"a.def", "1"}, {"A.DEF", "2"}}), "entry \"A.DEF\" is in the archive twice; the first is read"},
        {one.substr(0, one.size() - 30) + one.substr(one.size() - 22), "pak.pk4: error: has a truncated or inconsistent directory"},
        {"PK\x05\x06 not really", "pak.pk4: error: is not a zip archive"},
    };
    for (const auto& [archive, message] : cases) {
        convert::GameBase base;
        base.AddLayer(Layer("pak.pk4", archive));
        EXPECT_NE(Said(base.Messages()).find(message), std::string::npos) << message << "\n" << Said(base.Messages());
    }
    // Data that does not inflate to what the directory says.
    std::string damaged = one;
    damaged[40] = static_cast<char>(damaged[40] ^ 0x55);
    convert::GameBase base;
    base.AddLayer(Layer("pak.pk4", damaged));
    EXPECT_EQ(base.Bytes("def/a.def"), nullptr);
    EXPECT_NE(Said(base.Messages()).find("pak.pk4: error: \"def/a.def\" "), std::string::npos) << Said(base.Messages());
}

TEST(GameBaseTest, InfoShowsADeclaredModelByItsAliases) {
    const brmath_test::TempFolder folder;
    const brmath_test::GameFiles game = brmath_test::WriteGameFiles(folder);
    // The mod's loose walk (the zigzag clip, ten frames) wins over the archive's.
    for (const std::string name : {"monster_rig", "monster_rig_entity", "Monster_Rig"}) {
        const auto run = RunMd5tool({"info", name, "--base", game.base, "--base", game.mod});
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_NE(run.out.find(name + ": 2 joints, 1 mesh, 2 clips"), std::string::npos) << run.out;
        EXPECT_NE(run.out.find("mesh: models/md5/rig/rig.md5mesh (in " + game.base + "/pak000.pk4)"), std::string::npos);
        EXPECT_NE(run.out.find("skin: skins/rig_red\noffset: (0, 0, 4)\n"), std::string::npos) << run.out;
        EXPECT_NE(run.out.find("  0 walk: 10 frames at 30 fps"), std::string::npos) << run.out;
        EXPECT_NE(run.out.find("  1 zig: 10 frames at 30 fps"), std::string::npos);
        EXPECT_NE(run.out.find("def/zz.def:1: warning: rig_base previously defined at def/rig.def:2"), std::string::npos);
        EXPECT_NE(run.out.find("def/rig.def:2: warning: model rig_base: passed over 1 channel (the game's own use)"),
                  std::string::npos) << run.out;
        EXPECT_NE(run.out.find("passed over 1 frame command block "), std::string::npos);
        EXPECT_NE(run.out.find("materials:\n  0 models/rig/red\n    diffuse models/rig/red_d.tga\n"
                               "    normal addnormals(models/rig/red_local, heightmap(models/rig/red_h, 4))\n"
                               "    specular models/rig/red_s\n"),
                  std::string::npos) << run.out;
    }
    // Without the mod, the archive's walk; a mesh path takes the clips beside it.
    const auto plain = RunMd5tool({"info", "rig_base", "--base", game.base + "/pak000.pk4"});
    EXPECT_NE(plain.out.find("  0 walk: 2 frames"), std::string::npos) << plain.out << plain.err;
    const auto mesh = RunMd5tool({"info", "MODELS/md5/rig/rig.md5mesh", "--base", game.base});
    EXPECT_NE(mesh.out.find("  0 beside: 2 frames"), std::string::npos) << mesh.out << mesh.err;
    // Clips by alias.
    const auto posed = RunMd5tool({"pose", "monster_rig", "--base", game.base, "--clip", "zig", "--frame", "3"});
    EXPECT_NE(posed.out.find("frame 3 of clip 1 (zig)"), std::string::npos) << posed.out << posed.err;
    const auto unknown = RunMd5tool({"pose", "monster_rig", "--base", game.base, "--clip", "run"});
    EXPECT_EQ(unknown.status, 1);
    EXPECT_NE(unknown.err.find("no clip named \"run\""), std::string::npos) << unknown.err;
    const auto missing = RunMd5tool({"info", "monster_imp", "--base", game.base});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("no model declaration, entityDef or mesh named \"monster_imp\""), std::string::npos);
}

TEST(GameBaseTest, ListsTheModelsOfABase) {
    const brmath_test::TempFolder folder;
    const brmath_test::GameFiles game = brmath_test::WriteGameFiles(folder);
    const auto run = RunMd5tool({"list", "--base", game.base, "--base", game.mod});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out,
              "monster_rig: models/md5/rig/rig.md5mesh; clips walk, zig; materials 1 of 1, images 4 of 4\n"
              "rig_base: models/md5/rig/rig.md5mesh; clips walk; materials 0 of 1, images 0 of 1\n"
              "monster_rig_entity (entityDef, model monster_rig): models/md5/rig/rig.md5mesh; clips walk, zig; "
              "materials 1 of 1, images 4 of 4\n");
    const auto json = RunMd5tool({"list", "--base", game.base, "--json"});
    const auto listed = nlohmann::json::parse(json.out);
    ASSERT_EQ(listed.size(), 3u);
    EXPECT_EQ(listed[0]["clips"], nlohmann::json({"walk", "zig"}));
    EXPECT_EQ(listed[0]["images"]["found"], 4);
    EXPECT_EQ(listed[2]["model"], "monster_rig");
}

// The maps a base's model is lit with, read as md5tool reads them.
convert::ModelMaps MapsOf(const std::string& base, const std::string& model) {
    md5tool::ModelFiles files;
    files.bases = {base};
    std::ostringstream said;
    const convert::LoadedModel loaded = md5tool::LoadForCommand(files, model, said, said);
    EXPECT_TRUE(loaded.loaded) << said.str();
    return loaded.loaded ? files.MapsOf(*loaded.actor) : convert::ModelMaps{};
}

TEST(GameBaseTest, ImportWritesAModThatReadsBackAsTheModel) {
    const brmath_test::TempFolder folder;
    const std::string game = std::string(BRMATH_SAMPLES_DIR) + "/game";
    const std::string glb = folder.File("robot.glb");
    ASSERT_EQ(RunMd5tool({"export", "robot", "--base", game, "-o", glb}).status, 0);
    const auto mod = RunMd5tool({"import", glb, "--mod", folder.File("mod"), "--name", "bot"});
    ASSERT_EQ(mod.status, 0) << mod.err;
    EXPECT_EQ(RunMd5tool({"import", glb, "--pk4", folder.File("bot.pk4"), "--name", "bot"}).status, 0);
    EXPECT_EQ(RunMd5tool({"import", glb, "--pk4", folder.File("x.pk4"), "-o", folder.File("x")}).status, md5tool::kBadUsage);
    const convert::ModelMaps original = MapsOf(game, "robot");
    for (const std::string& base : {folder.File("mod"), folder.File("bot.pk4")}) {
        const auto info = RunMd5tool({"info", "bot", "--base", base});
        EXPECT_NE(info.out.find("bot: 23 joints, 2 meshes, 3 clips"), std::string::npos) << info.out << info.err;
        EXPECT_NE(info.out.find("  0 idle: 60 frames at 24 fps, 23 tracks\n  1 walk: 32 frames at 24 fps, 23 tracks\n"
                                "  2 wave: 48 frames at 24 fps, 23 tracks\n"),
                  std::string::npos);
        // The maps come back pixel for pixel, the normal maps' green turned back.
        const convert::ModelMaps back = MapsOf(base, "bot");
        ASSERT_EQ(back.meshes.size(), 2u);
        for (size_t m = 0; m < 2; ++m) {
            EXPECT_EQ(back.meshes[m].diffuse.pixels, original.meshes[m].diffuse.pixels);
            EXPECT_EQ(back.meshes[m].normal.pixels, original.meshes[m].normal.pixels);
            EXPECT_EQ(back.meshes[m].specular.pixels, original.meshes[m].specular.pixels);
        }
    }
}

TEST(GameBaseTest, ImageProgramsBuildNormalMaps) {
    // Heights rising 64 a column: each slope is 64 a pixel, so heightmap(_, 4) leans
    // every normal 45 degrees against x.
    convert::RgbaImage ramp;
    ramp.width = 4;
    ramp.height = 1;
    for (int p = 0; p < 16; ++p) ramp.pixels.push_back(p % 4 == 3 ? 255 : static_cast<uint8_t>(p / 4 * 64));
    const convert::RgbaImage normals = convert::HeightToNormals(ramp, 4);
    EXPECT_EQ(std::vector<uint8_t>(normals.At(1, 0), normals.At(1, 0) + 4), (std::vector<uint8_t>{38, 128, 218, 255}));
    // Adding a flat map changes nothing; the sum is taken at the first map's size.
    const convert::RgbaImage flat = convert::SolidImage(128, 128, 255);
    const convert::RgbaImage sum = convert::AddNormals(normals, flat);
    EXPECT_EQ(sum.pixels, normals.pixels);
    EXPECT_EQ(convert::AddNormals(flat, normals).width, 1);
}

// A square facing the camera, lit through a one-pixel normal map: the key light comes
// from the upper left, so a normal leaning left or up (green below 128: t runs down) is
// lit more than a flat one, and one leaning right or down less.
TEST(GameBaseTest, RenderLeansTheLightWithTheNormalMap) {
    md5tool::Camera camera;
    camera.eye = {0, 0, -5};
    camera.right = {1, 0, 0};
    camera.up = {0, 1, 0};
    camera.forward = {0, 0, 1};
    camera.focal = 400;
    const auto corner = [](float x, float y) {
        // s along +x, t down the square; the library hands t negated.
        return convert::StreamVertex{{x, y, 0}, {0, 0, -1}, {x + 0.5f, y - 0.5f}};
    };
    std::vector<convert::StreamTriangle> square(2);
    square[0].corners[0] = corner(-0.5f, 0.5f), square[0].corners[1] = corner(0.5f, 0.5f), square[0].corners[2] = corner(-0.5f, -0.5f);
    square[1].corners[0] = corner(0.5f, 0.5f), square[1].corners[1] = corner(0.5f, -0.5f), square[1].corners[2] = corner(-0.5f, -0.5f);
    for (convert::StreamTriangle& triangle : square) {
        for (int c = 0; c < 3; ++c) {
            for (int k = 0; k < 3; ++k) triangle.tangent[c][k] = k == 0 ? -1.0f : 0.0f;    // where s falls
            for (int k = 0; k < 3; ++k) triangle.bitangent[c][k] = k == 1 ? -1.0f : 0.0f;  // where t rises
        }
    }
    const auto brightness = [&](uint8_t r, uint8_t g) {
        convert::SurfaceMaps maps;
        maps.diffuse = convert::SolidImage(255, 255, 255);
        maps.specular = convert::SolidImage(0, 0, 0);
        const float x = (r - 128) / 127.0f, y = (g - 128) / 127.0f;
        maps.normal = convert::SolidImage(r, g, static_cast<uint8_t>(std::lround(std::sqrt(1 - x * x - y * y) * 127 + 128)));
        const std::vector<convert::SurfaceMaps> meshes{maps};
        md5tool::Image image(64, 64);
        md5tool::Rasterize(square, camera, image, &meshes);
        return image.At(32, 32).r;
    };
    const float flat = brightness(128, 128);
    EXPECT_GT(brightness(56, 128), flat);
    EXPECT_LT(brightness(200, 128), flat);
    EXPECT_GT(brightness(128, 56), flat);
    EXPECT_LT(brightness(128, 200), flat);
}

TEST(GameBaseTest, SaysWhatAMaterialLacks) {
    const std::string rig = std::string(BRMATH_TEST_DATA_DIR) + "/rig/";
    std::string deep = "models/x";
    for (int n = 0; n < 9; ++n) deep = "scale(" + deep + ", 2)";
    const std::pair<std::string, std::string> cases[] = {
        {"models/body { diffusemap " + deep + " }", "m.mtr:1: warning: material models/body: image programs nest deeper than 8"},
        {"models/body {\n diffusemap models/body }", "m.mtr:1: warning: material models/body: models/body: no such image (it names itself)"},
        {"models/body { diffusemap textures/gone }", "material models/body: textures/gone.dds: .dds images are not read"},
        {"models/body { bumpmap smoothnormals(textures/gone.tga) }",
         "material models/body: image program smoothnormals is not built; its first image stands for it"},
        {"models/body { { blend diffusemap map } }", "material models/body: an image is missing"},
    };
    const brmath_test::TempFolder folder;
    for (const auto& [mtr, message] : cases) {
        const std::string pk4 = folder.Write("m.pk4", Pk4({{"def/m.def", "model m { mesh models/rig.md5mesh }"},
                                                           {"materials/m.mtr", mtr},
                                                           {"textures/gone.dds", "DDS "},
                                                           {"models/rig.md5mesh", brmath_test::ReadFileBytes(rig + "rig.md5mesh")}}));
        const auto run = RunMd5tool({"check", "--strict", "m", "--base", pk4});
        EXPECT_EQ(run.status, 1) << message;
        EXPECT_NE(run.out.find(message), std::string::npos) << message << "\n" << run.out << run.err;
        EXPECT_NE(run.out.find("m: OK: models/rig.md5mesh, 2 joints, 1 mesh, 0 clips, images 0 of "), std::string::npos) << run.out;
    }
}

TEST(GameBaseTest, SaysWhyTheGameWouldRefuseADeclaration) {
    const std::string rig = std::string(BRMATH_TEST_DATA_DIR) + "/rig/";
    const std::string mesh = "mesh models/rig.md5mesh\n";
    std::string walk = brmath_test::ReadFileBytes(rig + "walk.md5anim");
    std::string other = walk;
    other.replace(other.find("\"hip\""), 5, "\"knee\"");
    std::string chain;
    for (int m = 0; m < 20; ++m) chain += "model m" + std::to_string(m) + " { inherit m" + std::to_string(m + 1) + " }\n";
    const std::pair<std::string, std::string> cases[] = {
        {"model m { " + mesh + " bogus }", "m.def:2: error: unknown token \"bogus\"; the game refuses this model"},
        {"model m {\n inherit m }", "m.def:2: error: inherit: \"m\" inherits from itself"},
        {"model m { inherit n }\nmodel n { inherit m }", "inherit: \"m\" inherits from itself"},
        {"model m { inherit m0 }\n" + chain, "inherit: a chain deeper than 16 declarations"},
        {"model m {\n" + mesh, "m.def:1: error: the braces of \"m\" are never closed"},
        {"model m {\n mesh \"models/rig.md5mesh }", "m.def:2: error: a quoted text opened here is never closed"},
        {"model m { mesh " + std::string(1100, 'a') + " }", "error: a token longer than 1024 characters"},
        {"/* model m {", "m.def:1: error: a comment opened here is never closed"},
        {"model m {\n mesh ../rig.md5mesh }", "m.def:2: error: mesh \"../rig.md5mesh\" leads outside the base"},
        {"model m {\n mesh models/none.md5mesh }", "m.def:2: error: mesh \"models/none.md5mesh\" is not in the base"},
        {"model m { mesh models/rig.tga }", "is not a .md5mesh file"},
        {"model m {\n anim a models/walk.md5anim\n" + mesh + "}", "m.def:2: error: anim \"a\" comes before any mesh"},
        {"model m { " + mesh + "anim a\n/models/x.md5anim }", "m.def:2: warning: anim a: \"/models/x.md5anim\" leads outside the base; left out"},
        {"model m { " + mesh + "anim a models/none.md5anim }", "anim a: \"models/none.md5anim\" is not in the base; left out"},
        {"model m { " + mesh + "anim a models/other.md5anim }",
         "joint 1 is \"knee\" (parent 0) where models/rig.md5mesh has \"hip\" (parent 0); left out"},
        {"model m { " + mesh + "anim a models/walk.md5anim anim a models/other.md5anim }",
         "anim \"a\" is declared twice; the first is kept"},
    };
    const brmath_test::TempFolder folder;
    for (const auto& [def, message] : cases) {
        const std::string pk4 = folder.Write("m.pk4", Pk4({{"def/m.def", def},
                                                           {"models/rig.md5mesh", brmath_test::ReadFileBytes(rig + "rig.md5mesh")},
                                                           {"models/walk.md5anim", walk},
                                                           {"models/other.md5anim", other}}));
        const auto run = RunMd5tool({"info", "m", "--base", pk4});
        EXPECT_NE((run.out + run.err).find(message), std::string::npos) << message << "\n" << run.out << run.err;
    }
}

}  // namespace
