#pragma once

// Quake's 8-bit images: a .lmp (width, height, then a palette index a pixel, drawn
// with the game's gfx/palette.lmp) and a .pcx (8-bit, run-length encoded, its own
// 256-colour palette at its end). Sizes are trusted only as far as the bytes reach.
#include <cstdint>
#include <string>
#include <vector>

#include "texture_image.h"

namespace convert {

struct PalettedImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> indices;  // rows from the top
    std::string palette;           // 768 bytes when the file carries one (a .pcx)
};

// The palette Quake draws with: gfx/palette.lmp, 256 red, green, blue triples.
constexpr size_t kPaletteSize = 768;
// Indices above this one are full bright: Quake draws them unlit.
constexpr int kLastLitIndex = 223;

bool DecodeLmp(const std::string& bytes, PalettedImage* image, std::string* why);
bool DecodePcx(const std::string& bytes, PalettedImage* image, std::string* why);

// The image in the palette's colours. With `fullBrights`, the full-bright pixels are
// black in `lit` and in their colours in `glow` (every other pixel black there), and
// `*anyGlow` says whether there were any.
void ExpandPalette(const PalettedImage& image, const std::string& palette, bool fullBrights, RgbaImage* lit,
                   RgbaImage* glow, bool* anyGlow);

}  // namespace convert
