#pragma once

// A Quake model's skins, as the remasters' ports find them. Quake: the mesh's shader S
// names S_00_00, looked for as S_00_00, progs/S_00_00 and textures/S_00_00 in .png,
// .tga, .jpg, .pcx and .lmp; an 8-bit skin's full-bright pixels (indices above 223)
// shine unlit, and a 32-bit skin's _glow or _luma image does. Quake 2: the .md2's
// first skin with md5/ put before its file name, .png, .jpg and .tga over the .pcx.
#include "file_set.h"
#include "game_model.h"
#include "model/model.h"
#include "surface_maps.h"

namespace convert {

// One SurfaceMaps a mesh: the skin as diffuse, a flat normal map, black specular, the
// full-bright parts as emissive; what was not found is said.
// The skin file a mesh of that shader is drawn with (Quake 2's shader is not read), or
// empty when the base has none.
std::string FindQuakeSkin(FileSet& files, const GameModel& game, const std::string& shader);

ModelMaps ReadQuakeMaps(FileSet& files, const GameModel& game, const brmath::ModelRecords& model);

}  // namespace convert
