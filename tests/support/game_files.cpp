#include "support/game_files.h"

#include <utility>
#include <vector>

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

}  // namespace

std::string Pk4(const std::vector<std::pair<std::string, std::string>>& files) {
    convert::ZipWriter zip;
    for (const auto& [name, bytes] : files) zip.Add(name, bytes);
    return zip.Finish();
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
                                         {"models/md5/anims/zigzag.md5anim", zigzag}}));
    folder.Write("base/pak001.pk4", Pk4({{"def/zz.def", "model rig_base {\n    mesh models/md5/rig/other.md5mesh\n}\n"}}));
    folder.MakeSubfolder("mod/Models");
    folder.MakeSubfolder("mod/Models/MD5");
    folder.MakeSubfolder("mod/Models/MD5/Anims");
    folder.Write("mod/Models/MD5/Anims/WALK.md5anim", zigzag);
    return files;
}

}  // namespace brmath_test
