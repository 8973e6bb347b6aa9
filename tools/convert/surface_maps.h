#pragma once

// The three maps each mesh of a game model is lit with, as the game finds them: the
// skin remaps the mesh's shader, the material names the images, and the game's
// defaults stand in for what is missing (white diffuse, a flat normal map, black
// specular). A shader no material has is its own diffuse image.
#include <string>
#include <vector>

#include "decl_set.h"
#include "file_set.h"
#include "game_model.h"
#include "model/model.h"
#include "texture_image.h"

namespace convert {

// The one-pixel images the game uses where a material has no map.
RgbaImage SolidImage(uint8_t r, uint8_t g, uint8_t b);

struct SurfaceMaps {
    std::string material;  // after the skin: the material's name, or the shader's
    bool declared = false;
    std::string diffuseText, normalText, specularText;  // as the material writes them; empty: the default
    bool diffuseFound = false, normalFound = false, specularFound = false;
    RgbaImage diffuse, normal, specular;  // always set
    // What shines unlit (a Quake skin's full-bright pixels or glow map); black when none.
    std::string emissiveText;
    bool emissiveFound = false;
    RgbaImage emissive = SolidImage(0, 0, 0);
};

struct ModelMaps {
    std::vector<SurfaceMaps> meshes;  // one a mesh, in the model's order
    Diagnostics warnings;             // images not found or not read, programs not built
    int materials = 0;                // meshes whose material was declared
    int images = 0, imagesNamed = 0;  // images found, of those the materials name
};

ModelMaps ReadModelMaps(FileSet& files, const DeclSet& decls, const brmath::ModelRecords& model, const std::string& skin);

// The maps of a model a game base gave: a Quake model's skins, or Doom 3's materials
// with the model's skin.
ModelMaps ReadGameModelMaps(FileSet& files, const DeclSet& decls, const GameModel& game, const brmath::ModelRecords& model);

}  // namespace convert
