#pragma once

// A game material's three maps as a glTF material: the diffuse image as the base
// colour, the normal map (its green turned over to glTF's way up) as the normal
// texture, the specular image through KHR_materials_specular.
#include "gltf_textures.h"
#include "surface_maps.h"

namespace convert {

constexpr const char* kSpecularExtension = "KHR_materials_specular";

tinygltf::Material MakeGameMaterial(const SurfaceMaps& maps, TextureWriter& textures);

// A normal map with its green turned over: the game's points down the image, glTF's up.
RgbaImage GreenTurnedOver(const RgbaImage& normals);

}  // namespace convert
