#include "mod_files.h"

#include <array>
#include <cctype>
#include <filesystem>
#include <map>
#include <set>

#include "gltf_game_material.h"
#include "texture_image.h"

namespace convert {

namespace {

namespace fs = std::filesystem;

// The material's name as the mod declares it: after the glTF's, or its number.
std::string MaterialName(const tinygltf::Model& gltf, int material, const std::string& name) {
    const bool known = material >= 0 && static_cast<size_t>(material) < gltf.materials.size();
    const std::string own = known && !gltf.materials[static_cast<size_t>(material)].name.empty()
                                ? gltf.materials[static_cast<size_t>(material)].name
                                : "material" + std::to_string(material < 0 ? 0 : material);
    return ModFolder(name) + SafeFileName(own);
}

// %XX sequences of a URI as the bytes they stand for.
std::string UriPath(const std::string& uri) {
    std::string path;
    for (size_t i = 0; i < uri.size(); ++i) {
        if (uri[i] == '%' && i + 2 < uri.size() && std::isxdigit(static_cast<unsigned char>(uri[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(uri[i + 2]))) {
            path += static_cast<char>(std::stoi(uri.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            path += uri[i];
        }
    }
    return path;
}

// A texture's image as pixels: from the buffer, or a file beside the glTF.
bool TextureImage(const tinygltf::Model& gltf, FileSet& files, const std::string& model, int texture, RgbaImage* image,
                  std::string* why) {
    if (texture < 0 || static_cast<size_t>(texture) >= gltf.textures.size()) return false;
    const int source = gltf.textures[static_cast<size_t>(texture)].source;
    if (source < 0 || static_cast<size_t>(source) >= gltf.images.size()) return false;
    const tinygltf::Image& entry = gltf.images[static_cast<size_t>(source)];
    std::string bytes;
    if (entry.bufferView >= 0 && static_cast<size_t>(entry.bufferView) < gltf.bufferViews.size()) {
        const tinygltf::BufferView& view = gltf.bufferViews[static_cast<size_t>(entry.bufferView)];
        const std::vector<unsigned char>& data = gltf.buffers.at(static_cast<size_t>(view.buffer)).data;
        if (view.byteOffset > data.size() || view.byteLength > data.size() - view.byteOffset) return false;
        bytes.assign(data.begin() + static_cast<long>(view.byteOffset), data.begin() + static_cast<long>(view.byteOffset + view.byteLength));
    } else if (!entry.uri.empty() && entry.uri.rfind("data:", 0) != 0) {
        const std::string path = (fs::u8path(model).parent_path() / fs::u8path(UriPath(entry.uri))).string();
        const std::string* read = files.Bytes(path);
        if (read == nullptr) {
            *why = path + ": cannot read it";
            return false;
        }
        bytes = *read;
    } else {
        *why = "an image in a data: URI is not carried over";
        return false;
    }
    return DecodeImage(bytes, image, why);
}

// The glTF material's three textures.
std::array<int, 3> MaterialTextures(const tinygltf::Material& material) {
    std::array<int, 3> textures{material.pbrMetallicRoughness.baseColorTexture.index, material.normalTexture.index, -1};
    const auto specular = material.extensions.find(kSpecularExtension);
    if (specular != material.extensions.end() && specular->second.Has("specularColorTexture")) {
        const tinygltf::Value& texture = specular->second.Get("specularColorTexture");
        if (texture.Has("index") && texture.Get("index").IsInt()) textures[2] = texture.Get("index").GetNumberAsInt();
    }
    return textures;
}

// One material's declaration, and its images added to the files.
std::string MaterialText(const tinygltf::Model& gltf, FileSet& files, const std::string& model, int material,
                         const std::string& declared, NamedFiles& out, Diagnostics* diagnostics) {
    std::string text = declared + "\n{\n";
    if (material < 0 || static_cast<size_t>(material) >= gltf.materials.size()) return text + "}\n";
    const std::array<int, 3> textures = MaterialTextures(gltf.materials[static_cast<size_t>(material)]);
    const char* keywords[3] = {"diffusemap", "bumpmap", "specularmap"};
    const char* endings[3] = {"_d", "_local", "_s"};
    for (int map = 0; map < 3; ++map) {
        RgbaImage image;
        std::string why;
        if (!TextureImage(gltf, files, model, textures[static_cast<size_t>(map)], &image, &why)) {
            if (!why.empty()) diagnostics->push_back(Warning(model, std::string(keywords[map]) + " of " + declared + " left out: " + why));
            continue;
        }
        const std::string path = declared + endings[map] + ".tga";
        out.emplace_back(path, EncodeTga(map == 1 ? GreenTurnedOver(image) : image));
        text += "    " + std::string(keywords[map]) + " " + path + "\n";
    }
    return text + "}\n";
}

}  // namespace

std::string ModFolder(const std::string& name) { return "models/md5/" + name + "/"; }

void NameModShaders(const tinygltf::Model& gltf, const std::string& name, Conversion& conversion) {
    for (Md5MeshBlock& block : conversion.model.meshes) block.shader = MaterialName(gltf, block.material, name);
}

NamedFiles ModFiles(const tinygltf::Model& gltf, FileSet& files, const std::string& model, const std::string& name,
                    const Conversion& conversion, NamedFiles md5, Diagnostics* diagnostics) {
    NamedFiles out;
    std::string def = "model " + name + "\n{\n    mesh " + ModFolder(name) + md5[0].first + "\n";
    for (size_t c = 0; c + 1 < md5.size(); ++c) {
        def += "    anim " + conversion.clipNames[c] + " " + ModFolder(name) + md5[c + 1].first + "\n";
    }
    for (auto& [file, bytes] : md5) out.emplace_back(ModFolder(name) + file, std::move(bytes));
    std::string materials;
    std::set<int> done;
    for (const Md5MeshBlock& block : conversion.model.meshes) {
        if (!done.insert(block.material).second) continue;
        materials += (materials.empty() ? "" : "\n") + MaterialText(gltf, files, model, block.material,
                                                                    MaterialName(gltf, block.material, name), out, diagnostics);
    }
    out.emplace_back("materials/" + name + ".mtr", materials);
    out.emplace_back("def/" + name + ".def", def + "}\n");
    return out;
}

}  // namespace convert
