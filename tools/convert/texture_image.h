#pragma once

// The image a shader names, as glTF carries it: PNG and JPEG as they are, any other
// format stb_image reads (TGA, BMP, PSD, GIF, ...) converted to PNG.
#include <cstdint>
#include <string>
#include <vector>

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

// An image as pixels: rows from the top, four bytes a pixel (red, green, blue, alpha).
struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;
    const uint8_t* At(int x, int y) const { return &pixels[(static_cast<size_t>(y) * width + x) * 4]; }
};

// The largest image decoded, in pixels: a 16384 x 16384 picture.
constexpr long long kImagePixelLimit = 16384LL * 16384;

// Decodes any image stb_image reads (TGA, PNG, JPEG, BMP, ...); false with why.
bool DecodeImage(const std::string& bytes, RgbaImage* image, std::string* error);

// The image as a PNG file, and as a TGA file (run-length encoded, as games read it).
std::string EncodePng(const RgbaImage& image);
std::string EncodeTga(const RgbaImage& image);

}  // namespace convert
