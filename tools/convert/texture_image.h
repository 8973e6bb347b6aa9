#pragma once

// The image a shader names, as glTF carries it: PNG and JPEG as they are, any other
// format stb_image reads (TGA, BMP, PSD, GIF, ...) converted to PNG.
#include <string>

#include "file_set.h"

namespace convert {

struct TextureImage {
    std::string bytes;
    std::string mimeType;  // "image/png" or "image/jpeg"
};

// The image file a shader names beside the mesh: the shader as a path from the mesh's
// folder, or its file name alone there; without an extension, with .tga, .png or .jpg.
// Empty when there is none.
std::string FindShaderImage(FileSet& files, const std::string& meshPath, const std::string& shader);

// Reads an image file of the set; false with the reason when it cannot be read or decoded.
bool ReadTextureImage(FileSet& files, const std::string& path, TextureImage* image, std::string* error);

}  // namespace convert
