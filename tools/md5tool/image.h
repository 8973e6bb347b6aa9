#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace md5tool {

struct Color {
    float r, g, b;
};

// An RGB image of floats in 0..1, row 0 at the top.
class Image {
public:
    Image(int width, int height, Color fill = {1, 1, 1});
    int Width() const { return width_; }
    int Height() const { return height_; }
    Color& At(int x, int y) { return pixels_[static_cast<size_t>(y) * width_ + x]; }
    const Color& At(int x, int y) const { return pixels_[static_cast<size_t>(y) * width_ + x]; }
    // Averages factor x factor blocks (supersampling to the final size).
    Image Downsample(int factor) const;
    void Paste(const Image& source, int left, int top);
    // The image as an 8-bit RGB PNG; false when memory runs out.
    bool EncodePng(std::string* bytes) const;

private:
    int width_, height_;
    std::vector<Color> pixels_;
};

// 8-bit pixels (`channels` 1 to 4 a pixel, rows from the top) as a PNG; false when
// memory runs out.
bool EncodePngPixels(const unsigned char* pixels, int width, int height, int channels, std::string* bytes);

// Draws text of digits, '-', ':' and spaces in a 5x7 pixel font scaled by `scale`.
void DrawLabel(Image& image, const std::string& text, int left, int top, int scale, Color color);

}  // namespace md5tool
