#include "paletted_image.h"

namespace convert {

namespace {

uint32_t Field(const std::string& bytes, size_t at, int width) {
    uint32_t value = 0;
    for (int b = width - 1; b >= 0; --b) value = value << 8 | static_cast<unsigned char>(bytes[at + b]);
    return value;
}

bool SizeFault(long long width, long long height, std::string* why) {
    if (width <= 0 || height <= 0 || width * height > kImagePixelLimit) {
        *why = "has a size of " + std::to_string(width) + " x " + std::to_string(height) + ", which is not read";
        return true;
    }
    return false;
}

}  // namespace

bool DecodeLmp(const std::string& bytes, PalettedImage* image, std::string* why) {
    if (bytes.size() < 8) {
        *why = "is too short for an image";
        return false;
    }
    const long long width = static_cast<int32_t>(Field(bytes, 0, 4)), height = static_cast<int32_t>(Field(bytes, 4, 4));
    if (SizeFault(width, height, why)) return false;
    if (static_cast<unsigned long long>(width * height) != bytes.size() - 8) {
        *why = "says " + std::to_string(width) + " x " + std::to_string(height) + " pixels but holds " +
               std::to_string(bytes.size() - 8);
        return false;
    }
    image->width = static_cast<int>(width);
    image->height = static_cast<int>(height);
    image->indices.assign(bytes.begin() + 8, bytes.end());
    image->palette.clear();
    return true;
}

bool DecodePcx(const std::string& bytes, PalettedImage* image, std::string* why) {
    constexpr size_t kHeader = 128, kTail = 1 + kPaletteSize;
    if (bytes.size() < kHeader + kTail || bytes[0] != 0x0a || bytes[2] != 1) {
        *why = "is not a run-length PCX image";
        return false;
    }
    if (bytes[3] != 8 || bytes[65] != 1 || bytes[bytes.size() - kTail] != 0x0c) {
        *why = "is not an 8-bit PCX image with a 256-colour palette";
        return false;
    }
    const long long width = static_cast<long long>(Field(bytes, 8, 2)) - Field(bytes, 4, 2) + 1;
    const long long height = static_cast<long long>(Field(bytes, 10, 2)) - Field(bytes, 6, 2) + 1;
    const long long rowBytes = Field(bytes, 66, 2);
    if (SizeFault(width, height, why)) return false;
    if (rowBytes < width) {
        *why = "has rows of " + std::to_string(rowBytes) + " bytes for " + std::to_string(width) + " pixels";
        return false;
    }
    image->width = static_cast<int>(width);
    image->height = static_cast<int>(height);
    image->indices.assign(static_cast<size_t>(width * height), 0);
    const size_t end = bytes.size() - kTail;
    size_t at = kHeader;
    for (long long y = 0; y < height; ++y) {
        for (long long x = 0; x < rowBytes;) {
            if (at >= end) {
                *why = "says " + std::to_string(width) + " x " + std::to_string(height) + " pixels but its data ends at row " +
                       std::to_string(y);
                return false;
            }
            uint8_t value = static_cast<uint8_t>(bytes[at++]);
            long long run = 1;
            if ((value & 0xc0) == 0xc0) {
                run = value & 0x3f;
                if (at >= end) continue;  // said at the loop's top
                value = static_cast<uint8_t>(bytes[at++]);
            }
            for (; run > 0 && x < rowBytes; --run, ++x) {
                if (x < width) image->indices[static_cast<size_t>(y * width + x)] = value;
            }
        }
    }
    image->palette = bytes.substr(end + 1, kPaletteSize);
    return true;
}

void ExpandPalette(const PalettedImage& image, const std::string& palette, bool fullBrights, RgbaImage* lit,
                   RgbaImage* glow, bool* anyGlow) {
    lit->width = glow->width = image.width;
    lit->height = glow->height = image.height;
    lit->pixels.assign(image.indices.size() * 4, 255);
    glow->pixels.assign(image.indices.size() * 4, 0);
    *anyGlow = false;
    for (size_t p = 0; p < image.indices.size(); ++p) {
        const int index = image.indices[p];
        const bool bright = fullBrights && index > kLastLitIndex;
        *anyGlow = *anyGlow || bright;
        for (int c = 0; c < 3; ++c) {
            const uint8_t colour = palette.size() >= kPaletteSize ? static_cast<uint8_t>(palette[index * 3 + c]) : 0;
            lit->pixels[p * 4 + c] = bright ? 0 : colour;
            glow->pixels[p * 4 + c] = bright ? colour : 0;
        }
        glow->pixels[p * 4 + 3] = 255;
    }
}

}  // namespace convert
