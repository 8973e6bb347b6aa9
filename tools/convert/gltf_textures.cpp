#include "gltf_textures.h"

#include <filesystem>

#include "texture_image.h"

namespace convert {

namespace fs = std::filesystem;

int TextureWriter::TextureOf(const std::string& path, const std::string& mesh, Diagnostics& diagnostics) {
    const auto known = textures_.find(path);
    if (known != textures_.end()) return known->second;
    int& texture = textures_[path];
    texture = -1;
    TextureImage image;
    std::string error;
    if (!ReadTextureImage(files_, path, &image, &error)) {
        diagnostics.push_back(Warning(mesh, "the shader's image " + path + " is left out: " + error));
        return texture;
    }
    texture = AddImage(fs::u8path(path).stem().string(), image.bytes, image.mimeType);
    return texture;
}

int TextureWriter::TextureOfPng(const std::string& name, const std::string& png) {
    const auto known = textures_.find("\n" + name);
    if (known != textures_.end()) return known->second;
    const int texture = AddImage(fs::u8path(name).filename().string(), png, "image/png");
    textures_["\n" + name] = texture;
    return texture;
}

// An image inside the buffer or beside the .gltf, and its texture.
int TextureWriter::AddImage(const std::string& name, const std::string& bytes, const std::string& mimeType) {
    tinygltf::Image entry;
    entry.name = name;
    entry.mimeType = mimeType;
    if (embedded_) {
        entry.bufferView = buffer_.AddView(bytes.data(), bytes.size());
    } else {
        const std::string file = BesideName(entry.name, mimeType == "image/png" ? ".png" : ".jpg");
        entry.uri = UriOf(file);
        beside.emplace_back((fs::u8path(output_).parent_path() / fs::u8path(file)).string(), bytes);
    }
    model_.images.push_back(entry);
    return AddTexture(static_cast<int>(model_.images.size()) - 1);
}

// OUT_IMAGE.png beside OUT.gltf, numbered _2, _3, ... when two images share a name.
std::string TextureWriter::BesideName(const std::string& stem, const std::string& extension) {
    const std::string out = fs::u8path(output_).stem().string();
    std::string name = out + "_" + stem + extension;
    for (int n = 2; taken_.count(name) != 0; ++n) name = out + "_" + stem + "_" + std::to_string(n) + extension;
    taken_.insert(name);
    return name;
}

int TextureWriter::AddTexture(int image) {
    if (model_.samplers.empty()) {
        tinygltf::Sampler repeat;  // glTF's defaults: repeat, the client's filters
        model_.samplers.push_back(repeat);
    }
    tinygltf::Texture texture;
    texture.source = image;
    texture.sampler = 0;
    model_.textures.push_back(texture);
    return static_cast<int>(model_.textures.size()) - 1;
}

}  // namespace convert
