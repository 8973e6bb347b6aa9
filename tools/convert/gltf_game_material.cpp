#include "gltf_game_material.h"

#include "gltf_primitive.h"

namespace convert {

RgbaImage GreenTurnedOver(const RgbaImage& normals) {
    RgbaImage turned = normals;
    for (size_t p = 1; p < turned.pixels.size(); p += 4) turned.pixels[p] = static_cast<uint8_t>(255 - turned.pixels[p]);
    return turned;
}

tinygltf::Material MakeGameMaterial(const SurfaceMaps& maps, TextureWriter& textures) {
    tinygltf::Material material = MakeMaterial(maps.material);
    material.pbrMetallicRoughness.baseColorFactor = {1, 1, 1, 1};
    material.pbrMetallicRoughness.baseColorTexture.index =
        textures.TextureOfPng(maps.material + "_diffuse", EncodePng(maps.diffuse));
    material.normalTexture.index = textures.TextureOfPng(maps.material + "_normal", EncodePng(GreenTurnedOver(maps.normal)));
    tinygltf::Value::Object texture{{"index", tinygltf::Value(textures.TextureOfPng(maps.material + "_specular",
                                                                                    EncodePng(maps.specular)))}};
    if (maps.emissiveFound) {
        material.emissiveTexture.index = textures.TextureOfPng(maps.material + "_emissive", EncodePng(maps.emissive));
        material.emissiveFactor = {1, 1, 1};
    }
    material.extensions[kSpecularExtension] =
        tinygltf::Value(tinygltf::Value::Object{{"specularColorTexture", tinygltf::Value(texture)}});
    return material;
}

}  // namespace convert
