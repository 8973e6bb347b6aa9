#include "texture_image.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>


#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#endif
#include <stb/stb_image.h>
// Converted images are compressed by stb_image_write's own deflate rather than zlib, so
// that every build (the web module has no zlib) writes the same bytes.
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace convert {

namespace {

void AppendBytes(void* context, void* data, int size) {
    static_cast<std::string*>(context)->append(static_cast<const char*>(data), static_cast<size_t>(size));
}

}  // namespace

std::string FindShaderImage(FileSet& files, const std::string& meshPath, const std::string& shader) {
    namespace fs = std::filesystem;
    if (shader.empty()) return "";
    const fs::path folder = fs::u8path(meshPath).parent_path();
    std::string relative = shader;
    for (char& c : relative) c = c == '\\' ? '/' : c;
    const fs::path named = fs::u8path(relative);
    if (named.is_absolute()) return "";
    std::vector<fs::path> candidates = {folder / named, folder / named.filename()};
    if (!named.has_extension()) {
        for (const char* extension : {".tga", ".png", ".jpg"}) {
            candidates.push_back(folder / fs::u8path(relative + extension));
            candidates.push_back(folder / fs::u8path(named.filename().string() + extension));
        }
    }
    for (const fs::path& candidate : candidates) {
        if (files.Has(candidate.string())) return candidate.string();
    }
    return "";
}

bool ReadTextureImage(FileSet& files, const std::string& path, TextureImage* image, std::string* error) {
    const std::string* read = files.Bytes(path);
    if (read == nullptr) {
        *error = "cannot read it";
        return false;
    }
    if (read->size() > 0x7fffffff) {
        *error = "too large";
        return false;
    }
    const std::string& bytes = *read;
    const size_t size = bytes.size();
    if (bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") == 0) {
        *image = {bytes, "image/png"};
        return true;
    }
    if (bytes.compare(0, 3, "\xff\xd8\xff") == 0) {
        *image = {bytes, "image/jpeg"};
        return true;
    }
    int width = 0, height = 0, channels = 0;
    stbi_uc* pixels = stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(bytes.data()), static_cast<int>(size),
                                            &width, &height, &channels, 0);
    if (pixels == nullptr) {
        *error = std::string("not an image stb_image reads (") + stbi_failure_reason() + ")";
        return false;
    }
    image->mimeType = "image/png";
    image->bytes.clear();
    const bool encoded =
        stbi_write_png_to_func(&AppendBytes, &image->bytes, width, height, channels, pixels, width * channels) != 0;
    stbi_image_free(pixels);
    if (!encoded) *error = "out of memory";
    return encoded;
}

bool DecodeImage(const std::string& bytes, RgbaImage* image, std::string* error) {
    const auto* data = reinterpret_cast<const stbi_uc*>(bytes.data());
    const int size = static_cast<int>(std::min<size_t>(bytes.size(), 0x7fffffff));
    int width = 0, height = 0, channels = 0;
    if (stbi_info_from_memory(data, size, &width, &height, &channels) == 0) {
        *error = std::string("not an image stb_image reads (") + stbi_failure_reason() + ")";
        return false;
    }
    if (static_cast<long long>(width) * height > kImagePixelLimit) {
        *error = "larger than 16384 x 16384 pixels";
        return false;
    }
    stbi_uc* pixels = stbi_load_from_memory(data, size, &width, &height, &channels, 4);
    if (pixels == nullptr) {
        *error = std::string("not an image stb_image reads (") + stbi_failure_reason() + ")";
        return false;
    }
    image->width = width;
    image->height = height;
    image->pixels.assign(pixels, pixels + static_cast<size_t>(width) * height * 4);
    stbi_image_free(pixels);
    return true;
}

std::string EncodePng(const RgbaImage& image) {
    std::string png;
    stbi_write_png_to_func(&AppendBytes, &png, image.width, image.height, 4, image.pixels.data(), image.width * 4);
    return png;
}

std::string EncodeTga(const RgbaImage& image) {
    std::string tga;
    stbi_write_tga_to_func(&AppendBytes, &tga, image.width, image.height, 4, image.pixels.data());
    return tga;
}

}  // namespace convert
