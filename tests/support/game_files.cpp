#include "support/game_files.h"

#include <utility>
#include <vector>

#include "texture_image.h"
#include "zip_writer.h"

namespace brmath_test {

namespace {

const char kRigDef[] = R"(// the rig, as a game declares it
model rig_base {
    mesh models/md5/rig/rig.md5mesh
    channel torso ( origin hip )
    anim walk models/md5/anims/walk.md5anim {
        frame 1 sound_voice snd_step
    }
}

model monster_rig {
    inherit rig_base
    skin skins/rig_red
    offset ( 0 0 4 )
    anim zig models/MD5/anims/zigzag.md5anim, models/md5/anims/walk.md5anim
}

entityDef monster_rig_entity {
    "inherit" "monster_base"
    "model" "monster_rig"
}
)";

const char kRigMaterials[] = R"(// a short form, a stage, image programs, and what the viewer passes over
table flicker { { 1, 0.5 } }
models/rig/red {
    qer_editorimage textures/editor.tga
    diffusemap models/rig/red_d.tga
    bumpmap addnormals(models/rig/red_local, heightmap(models/rig/red_h, 4))
    {
        blend specularmap
        map models/rig/red_s
    }
    { blend add map textures/glow.tga rgb flicker[time] }
}
material models/rig/smooth { { blend diffusemap map models/rig/red_d } bumpmap smoothnormals(models/rig/red_local) }
)";

const char kRigSkin[] = "skin skins/rig_red {\n    model models/md5/rig/rig.md5mesh\n    models/body models/rig/red\n}\n";

// A picture of w x h pixels, each from its column and row, as PNG.
std::string Picture(int w, int h, uint8_t (*channel)(int x, int y, int c)) {
    convert::RgbaImage image;
    image.width = w;
    image.height = h;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            for (int c = 0; c < 4; ++c) image.pixels.push_back(c == 3 ? 255 : channel(x, y, c));
        }
    }
    return convert::EncodePng(image);
}

}  // namespace

std::string Pk4(const std::vector<std::pair<std::string, std::string>>& files) {
    convert::ZipWriter zip;
    for (const auto& [name, bytes] : files) zip.Add(name, bytes);
    return zip.Finish();
}

std::string RigDiffuse() {
    return Picture(8, 8, [](int x, int y, int c) -> uint8_t { return c == 0 ? 220 : static_cast<uint8_t>(c == 1 ? x * 30 : y * 30); });
}

GameFiles WriteGameFiles(const TempFolder& folder) {
    const std::string rig = std::string(BRMATH_TEST_DATA_DIR) + "/rig/";
    const std::string walk = ReadFileBytes(rig + "walk.md5anim");
    const std::string zigzag = ReadFileBytes(rig + "zigzag.md5anim");
    GameFiles files{folder.MakeSubfolder("base"), folder.MakeSubfolder("mod")};
    folder.Write("base/pak000.pk4", Pk4({{"def/rig.def", kRigDef},
                                         {"models/md5/rig/rig.md5mesh", ReadFileBytes(rig + "rig.md5mesh")},
                                         {"models/md5/rig/beside.md5anim", walk},
                                         {"models/md5/anims/walk.md5anim", walk},
                                         {"models/md5/anims/zigzag.md5anim", zigzag},
                                         {"materials/rig.mtr", kRigMaterials},
                                         {"skins/rig.skin", kRigSkin},
                                         {"models/rig/red_d.png", RigDiffuse()},
                                         {"models/rig/red_local.png", Picture(4, 4, [](int, int, int c) -> uint8_t {
                                              return c == 2 ? 255 : 128;
                                          })},
                                         {"models/rig/red_h.png", Picture(4, 4, [](int x, int, int) -> uint8_t {
                                              return static_cast<uint8_t>(x * 64);
                                          })},
                                         {"models/rig/red_s.png", Picture(4, 4, [](int, int, int) -> uint8_t { return 200; })}}));
    folder.Write("base/pak001.pk4", Pk4({{"def/zz.def", "model rig_base {\n    mesh models/md5/rig/other.md5mesh\n}\n"}}));
    folder.MakeSubfolder("mod/Models");
    folder.MakeSubfolder("mod/Models/MD5");
    folder.MakeSubfolder("mod/Models/MD5/Anims");
    folder.Write("mod/Models/MD5/Anims/WALK.md5anim", zigzag);
    return files;
}

}  // namespace brmath_test
