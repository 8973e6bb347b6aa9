#include "support/png_pixels.h"

#include <algorithm>
#include <cstdlib>

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#endif
#include <stb/stb_image.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace brmath_test {

std::vector<unsigned char> ReadPng(const std::string& path, int* width, int* height) {
    int channels = 0;
    unsigned char* pixels = stbi_load(path.c_str(), width, height, &channels, 3);
    if (pixels == nullptr) return {};
    std::vector<unsigned char> rgb(pixels, pixels + static_cast<size_t>(*width) * *height * 3);
    stbi_image_free(pixels);
    return rgb;
}

PictureDifference ComparePngs(const std::string& a, const std::string& b) {
    int width[2] = {0, 0}, height[2] = {0, 0};
    const std::vector<unsigned char> first = ReadPng(a, &width[0], &height[0]);
    const std::vector<unsigned char> second = ReadPng(b, &width[1], &height[1]);
    PictureDifference difference;
    if (first.empty() || first.size() != second.size()) return {1 << 30, 255};
    for (size_t p = 0; p < first.size(); p += 3) {
        int most = 0;
        for (size_t k = 0; k < 3; ++k) most = std::max(most, std::abs(first[p + k] - second[p + k]));
        difference.pixels += most > 0 ? 1 : 0;
        difference.largest = std::max(difference.largest, most);
    }
    return difference;
}

}  // namespace brmath_test
