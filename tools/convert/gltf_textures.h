#pragma once

// The textures of an export's shader images, each image read once: inside the buffer,
// or in files beside a .gltf.
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "diagnostics.h"
#include "file_set.h"
#include "gltf_buffer.h"

namespace convert {

class TextureWriter {
public:
    TextureWriter(tinygltf::Model& model, BufferWriter& buffer, FileSet& files, const std::string& output,
                  bool embedded)
        : model_(model), buffer_(buffer), files_(files), output_(output), embedded_(embedded) {}

    // The texture of an image file of the set, or -1 when it cannot be read (with a
    // warning about `mesh`).
    int TextureOf(const std::string& path, const std::string& mesh, Diagnostics& diagnostics);
    // The texture of a PNG made here, by a name unique to its pixels' source.
    int TextureOfPng(const std::string& name, const std::string& png);

    // The image files beside a .gltf: path and bytes.
    std::vector<std::pair<std::string, std::string>> beside;

private:
    int AddTexture(int image);
    int AddImage(const std::string& name, const std::string& bytes, const std::string& mimeType);
    std::string BesideName(const std::string& stem, const std::string& extension);

    tinygltf::Model& model_;
    BufferWriter& buffer_;
    FileSet& files_;
    std::string output_;
    bool embedded_;
    std::map<std::string, int> textures_;
    std::set<std::string> taken_;
};

}  // namespace convert
