#include "support/quake_files.h"

#include <cstdint>

#include "support/game_files.h"
#include "quake_writer.h"
#include "texture_image.h"

namespace brmath_test {

namespace {

const char kSoldierJoints[] = R"(MD5Version 10
commandline ""

numJoints 4
numMeshes 3

joints {
	"origin"	-1 ( 0 0 0 ) ( 0 0 0 )
	"head"	0 ( 0 0 4 ) ( 0 0 0 )
	"eye"	1 ( 1 0 5 ) ( 0 0 0 )
	"weapon"	0 ( 2 0 2 ) ( 0 0 0 )
}
)";

// A triangle whose vertex v has one weight, on joints[v] at offsets[v].
std::string Triangle(const char* shader, const int joints[3], const char* const offsets[3]) {
    std::string text = std::string("\nmesh {\n\tshader \"") + shader + "\"\n\tnumverts 3\n";
    const char* const texCoords[3] = {"0 0", "1 0", "0 1"};
    for (int v = 0; v < 3; ++v) text += "\tvert " + std::to_string(v) + " ( " + texCoords[v] + " ) " + std::to_string(v) + " 1\n";
    text += "\tnumtris 1\n\ttri 0 0 1 2\n\tnumweights 3\n";
    for (int v = 0; v < 3; ++v) {
        text += "\tweight " + std::to_string(v) + " " + std::to_string(joints[v]) + " 1 ( " + offsets[v] + " )\n";
    }
    return text + "}\n";
}

const char kSoldierClip[] = R"(MD5Version 10
commandline ""

numFrames 6
numJoints 4
frameRate 24
numAnimatedComponents 1

hierarchy {
	"origin"	-1 1 0
	"head"	0 0 0
	"eye"	1 0 0
	"weapon"	0 0 0
}

bounds {
	( -1 -1 -1 ) ( 12 2 7 )
	( -1 -1 -1 ) ( 12 2 7 )
	( -1 -1 -1 ) ( 12 2 7 )
	( -1 -1 -1 ) ( 12 2 7 )
	( -1 -1 -1 ) ( 12 2 7 )
	( -1 -1 -1 ) ( 12 2 7 )
}

baseframe {
	( 0 0 0 ) ( 0 0 0 )
	( 0 0 4 ) ( 0 0 0 )
	( 1 0 1 ) ( 0 0 0 )
	( 2 0 2 ) ( 0 0 0 )
}

frame 0 { 0 }
frame 1 { 1 }
frame 2 { 2 }
frame 3 { 3 }
frame 4 { 4 }
frame 5 { 5 }
)";

const char kSoldierScale[] = R"({
	"head": { "4": 0 },
	"weapon": { "scale_positions": true, "5": 2 }
})";

std::string Png(int w, int h, uint8_t r, uint8_t g, uint8_t b) {
    convert::RgbaImage image;
    image.width = w;
    image.height = h;
    for (int p = 0; p < w * h; ++p) image.pixels.insert(image.pixels.end(), {r, g, b, 255});
    return convert::EncodePng(image);
}

}  // namespace

std::string SoldierMesh() {
    const char* const axes[3] = {"1 0 0", "0 1 0", "0 0 1"};
    const char* const body[3] = {"0 0 0", "1 0 0", "0 0 1"};
    const int onOrigin[3] = {0, 0, 0}, onHeadAndEye[3] = {1, 1, 2}, onWeapon[3] = {3, 3, 3};
    return kSoldierJoints + Triangle("soldier", onOrigin, body) + Triangle("soldier", onHeadAndEye, axes) +
           Triangle("weapon", onWeapon, axes);
}
std::string SoldierClip() { return kSoldierClip; }
std::string SoldierScale() { return kSoldierScale; }

std::string Pcx(int width, int height, const std::vector<uint8_t>& indices) {
    return convert::WritePcx(width, height, indices, Palette());
}

std::string Palette() {
    std::string palette;
    for (int i = 0; i < 256; ++i) {
        palette.push_back(static_cast<char>(i));
        palette.push_back(static_cast<char>(255 - i));
        palette.push_back(static_cast<char>(i / 2));
    }
    return palette;
}

QuakeFiles WriteQuakeFiles(const TempFolder& folder) {
    const std::vector<std::string> frames = {"stand1", "stand2", "stand3", "run1", "run2", "run3"};
    QuakeFiles files{folder.MakeSubfolder("id1"), folder.MakeSubfolder("baseq2")};
    folder.Write("id1/pak0.pak", convert::WritePack({{"progs/soldier.mdl", convert::WriteMdl(frames)},
                                       {"progs/soldier.md5mesh", SoldierMesh()},
                                       {"progs/soldier.md5anim", kSoldierClip},
                                       {"gfx/palette.lmp", Palette()},
                                       {"progs/soldier_00_00.lmp", convert::WriteLmp(4, 2, {10, 20, 30, 250, 40, 50, 60, 70})}}));
    folder.Write("id1/pak1.pak", convert::WritePack({{"progs/weapon_00_00.png", Png(2, 2, 90, 90, 90)},
                                       {"progs/weapon_00_00_glow.png", Png(2, 2, 0, 200, 0)}}));
    folder.MakeSubfolder("id1/progs");
    folder.Write("id1/progs/soldier_00_00.lmp", convert::WriteLmp(4, 2, {1, 2, 3, 4, 5, 6, 7, 8}));
    folder.Write("baseq2/pak0.pak", convert::WritePack({{"models/soldier/tris.md2", convert::WriteMd2(frames, {"models/soldier/skin.pcx"})},
                                          {"models/soldier/md5/tris.md5mesh", SoldierMesh()},
                                          {"models/soldier/md5/tris.md5anim", kSoldierClip},
                                          {"models/soldier/md5/tris.md5scale", kSoldierScale},
                                          {"models/soldier/md5/skin.pcx", Pcx(2, 2, {5, 250, 200, 7})}}));
    return files;
}

}  // namespace brmath_test
