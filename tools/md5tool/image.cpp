#include "image.h"

#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <string>

namespace {

// The PNG writer's image data is compressed by zlib, into memory it frees with free().
unsigned char* ZlibCompress(unsigned char* data, int length, int* compressedLength, int quality) {
    uLongf size = compressBound(static_cast<uLong>(length));
    auto* out = static_cast<unsigned char*>(std::malloc(size));
    if (out == nullptr) return nullptr;
    if (compress2(out, &size, data, static_cast<uLong>(length), std::clamp(quality, 1, 9)) != Z_OK) {
        std::free(out);
        return nullptr;
    }
    *compressedLength = static_cast<int>(size);
    return out;
}

}  // namespace

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBIW_ZLIB_COMPRESS ZlibCompress
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-function"
#endif
#include <stb/stb_image_write.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace md5tool {

Image::Image(int width, int height, Color fill)
    : width_(width), height_(height), pixels_(static_cast<size_t>(width) * height, fill) {}

Image Image::Downsample(int factor) const {
    Image result(width_ / factor, height_ / factor);
    const float weight = 1.0f / static_cast<float>(factor * factor);
    for (int y = 0; y < result.height_; ++y) {
        for (int x = 0; x < result.width_; ++x) {
            Color sum{0, 0, 0};
            for (int dy = 0; dy < factor; ++dy) {
                for (int dx = 0; dx < factor; ++dx) {
                    const Color& c = At(x * factor + dx, y * factor + dy);
                    sum.r += c.r;
                    sum.g += c.g;
                    sum.b += c.b;
                }
            }
            result.At(x, y) = {sum.r * weight, sum.g * weight, sum.b * weight};
        }
    }
    return result;
}

void Image::Paste(const Image& source, int left, int top) {
    for (int y = 0; y < source.height_; ++y) {
        for (int x = 0; x < source.width_; ++x) {
            const int tx = left + x, ty = top + y;
            if (tx >= 0 && ty >= 0 && tx < width_ && ty < height_) At(tx, ty) = source.At(x, y);
        }
    }
}

namespace {

void AppendBytes(void* context, void* data, int size) {
    static_cast<std::string*>(context)->append(static_cast<const char*>(data), static_cast<size_t>(size));
}

}  // namespace

bool Image::EncodePng(std::string* bytes) const {
    bytes->clear();
    std::vector<unsigned char> rgb(static_cast<size_t>(width_) * height_ * 3);
    // Not-a-number shows as black rather than converting out of range.
    const auto byte = [](float v) {
        return static_cast<unsigned char>((v >= 0.0f ? std::min(v, 1.0f) : 0.0f) * 255.0f + 0.5f);
    };
    for (size_t i = 0; i < pixels_.size(); ++i) {
        rgb[3 * i] = byte(pixels_[i].r);
        rgb[3 * i + 1] = byte(pixels_[i].g);
        rgb[3 * i + 2] = byte(pixels_[i].b);
    }
    return EncodePngPixels(rgb.data(), width_, height_, 3, bytes);
}

bool EncodePngPixels(const unsigned char* pixels, int width, int height, int channels, std::string* bytes) {
    bytes->clear();
    return stbi_write_png_to_func(&AppendBytes, bytes, width, height, channels, pixels, width * channels) != 0;
}

namespace {

// 5x7 glyphs, one byte per row, bit 4 the leftmost pixel.
struct Glyph {
    char c;
    uint8_t rows[7];
};

const Glyph kGlyphs[] = {
    {'0', {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}}, {'1', {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'2', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}}, {'3', {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E}},
    {'4', {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}}, {'5', {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}},
    {'6', {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}}, {'7', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
    {'8', {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}}, {'9', {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}},
    {'-', {0x00, 0x00, 0x00, 0x1F, 0x00, 0x00, 0x00}}, {':', {0x00, 0x0C, 0x0C, 0x00, 0x0C, 0x0C, 0x00}},
    {' ', {0, 0, 0, 0, 0, 0, 0}},
};

}  // namespace

void DrawLabel(Image& image, const std::string& text, int left, int top, int scale, Color color) {
    int x0 = left;
    for (char c : text) {
        const Glyph* glyph = nullptr;
        for (const Glyph& g : kGlyphs) {
            if (g.c == c) glyph = &g;
        }
        if (glyph != nullptr) {
            for (int row = 0; row < 7; ++row) {
                for (int column = 0; column < 5; ++column) {
                    if (((glyph->rows[row] >> (4 - column)) & 1) == 0) continue;
                    for (int dy = 0; dy < scale; ++dy) {
                        for (int dx = 0; dx < scale; ++dx) {
                            const int x = x0 + column * scale + dx, y = top + row * scale + dy;
                            if (x >= 0 && y >= 0 && x < image.Width() && y < image.Height()) image.At(x, y) = color;
                        }
                    }
                }
            }
        }
        x0 += 6 * scale;
    }
}

}  // namespace md5tool
