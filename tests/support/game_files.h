#pragma once

// A small game base made at run time, laid out as the game lays out its files: a game
// folder with two .pk4 archives and a mod folder of loose files over it.
#include <string>
#include <utility>
#include <vector>

#include "support/temp_folder.h"

namespace brmath_test {

struct GameFiles {
    std::string base;  // base/, holding pak000.pk4 and pak001.pk4
    std::string mod;   // mod/, loose files
};

// In pak000.pk4: the test rig's mesh under models/md5/rig/ and its clips under
// models/md5/anims/, a beside.md5anim next to the mesh (which no declaration names),
// def/rig.def with `model rig_base`, `model monster_rig` (inheriting it, with a skin,
// an offset, a channel and a frame command) and `entityDef monster_rig_entity`;
// skins/rig.skin, whose skins/rig_red puts material models/rig/red in place of the
// mesh's shader, and materials/rig.mtr, whose models/rig/red has a diffuse map (an
// 8 x 8 RigDiffuse()), a normal map built by addnormals and heightmap, and a specular
// stage, with images in .png where the material says .tga or nothing.
// pak001.pk4 replaces nothing but adds def/zz.def declaring rig_base again. The mod
// folder's loose Models/MD5/Anims/WALK.md5anim (the zigzag clip) wins over pak000's walk.
GameFiles WriteGameFiles(const TempFolder& folder);

// The rig's diffuse image, as PNG.
std::string RigDiffuse();

// A .pk4 of the given files, name and bytes in turn.
std::string Pk4(const std::vector<std::pair<std::string, std::string>>& files);

}  // namespace brmath_test
