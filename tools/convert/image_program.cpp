#include "image_program.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "game_base.h"

namespace convert {

namespace {

float Height(const RgbaImage& image, int x, int y) {
    x = (x % image.width + image.width) % image.width;
    y = (y % image.height + image.height) % image.height;
    const uint8_t* p = image.At(x, y);
    return (p[0] + p[1] + p[2]) / 3.0f;
}

// Writes a normal, normalised, as bytes n * 127 + 128; a zero one as the flat normal.
void PutNormal(RgbaImage& image, size_t pixel, float x, float y, float z) {
    const float length = std::sqrt(x * x + y * y + z * z);
    const float n[3] = {length > 0 ? x / length : 0, length > 0 ? y / length : 0, length > 0 ? z / length : 1};
    for (int c = 0; c < 3; ++c) {
        image.pixels[pixel * 4 + c] = static_cast<uint8_t>(std::clamp(std::lround(n[c] * 127.0f + 128.0f), 0L, 255L));
    }
    image.pixels[pixel * 4 + 3] = 255;
}

float Component(uint8_t byte) { return (byte - 128.0f) / 127.0f; }

bool IsMark(const Token& token) {
    return !token.quoted && token.text.size() == 1 && std::string("{}(),;").find(token.text) != std::string::npos;
}

}  // namespace

std::string ImageExpr::Text() const {
    if (!program) return name;
    std::string text = name + "(";
    for (size_t i = 0; i < images.size(); ++i) text += (i > 0 ? ", " : "") + images[i].Text();
    for (float number : numbers) {
        char written[32];
        std::snprintf(written, sizeof(written), "%g", number);
        text += std::string(", ") + written;
    }
    return text + ")";
}

bool ParseImage(const std::vector<Token>& t, size_t* at, ImageExpr* image, std::string* why, int depth) {
    if (*at >= t.size() || IsMark(t[*at])) {
        *why = "an image is missing";
        return false;
    }
    image->name = t[(*at)++].text;
    if (*at >= t.size() || !t[*at].Is("(")) return true;
    if (depth + 1 > kProgramDepthLimit) {
        *why = "image programs nest deeper than " + std::to_string(kProgramDepthLimit);
        return false;
    }
    image->program = true;
    image->name = BaseKey(image->name);
    for (++*at; *at < t.size() && !t[*at].Is(")");) {
        char* end = nullptr;
        const float number = std::strtof(t[*at].text.c_str(), &end);
        if (!t[*at].quoted && !t[*at].text.empty() && *end == '\0') {
            image->numbers.push_back(number);
            ++*at;
        } else {
            image->images.emplace_back();
            if (!ParseImage(t, at, &image->images.back(), why, depth + 1)) return false;
        }
        if (*at < t.size() && t[*at].Is(",")) ++*at;
    }
    if (*at >= t.size()) {
        *why = "image program " + image->name + " is never closed";
        return false;
    }
    ++*at;
    return true;
}

std::string FindGameImage(FileSet& files, const std::string& name, std::string* dds) {
    std::string stem = NormalName(name);
    const size_t dot = stem.rfind('.');
    const bool extension = dot != std::string::npos && stem.find('/', dot) == std::string::npos;
    if (extension && files.Has(stem) && BaseKey(stem.substr(dot)) != ".dds") return stem;
    if (extension) stem.resize(dot);
    for (const char* ending : {".tga", ".png", ".jpg"}) {
        if (files.Has(stem + ending)) return stem + ending;
    }
    for (const std::string& copy : {stem + ".dds", "dds/" + stem + ".dds"}) {
        if (files.Has(copy)) *dds = copy;
    }
    return "";
}

ImageBuild BuildImage(FileSet& files, const ImageExpr& image) {
    ImageBuild build;
    if (!image.program) {
        std::string dds, why;
        const std::string path = FindGameImage(files, image.name, &dds);
        const std::string* bytes = path.empty() ? nullptr : files.Bytes(path);
        if (bytes != nullptr && DecodeImage(*bytes, &build.image, &why)) {
            build.built = true;
        } else {
            build.missing.push_back(!dds.empty()   ? dds + ": .dds images are not read"
                                    : path.empty() ? image.name + ": no such image"
                                                   : path + ": " + (why.empty() ? "cannot be read" : why));
        }
        return build;
    }
    std::vector<ImageBuild> parts;
    for (const ImageExpr& part : image.images) {
        parts.push_back(BuildImage(files, part));
        build.notBuilt.insert(build.notBuilt.end(), parts.back().notBuilt.begin(), parts.back().notBuilt.end());
        build.missing.insert(build.missing.end(), parts.back().missing.begin(), parts.back().missing.end());
    }
    const bool all = !parts.empty() && std::all_of(parts.begin(), parts.end(), [](const ImageBuild& p) { return p.built; });
    if (image.name == "heightmap" && parts.size() == 1 && all) {
        build.image = HeightToNormals(parts[0].image, image.numbers.empty() ? 1.0f : image.numbers[0]);
        build.built = true;
    } else if (image.name == "addnormals" && parts.size() == 2 && all) {
        build.image = AddNormals(parts[0].image, parts[1].image);
        build.built = true;
    } else {
        if (image.name != "heightmap" && image.name != "addnormals") build.notBuilt.push_back(image.name);
        if (!parts.empty() && parts[0].built) {
            build.image = std::move(parts[0].image);
            build.built = true;
        }
    }
    return build;
}

RgbaImage HeightToNormals(const RgbaImage& heights, float scale) {
    RgbaImage normals = heights;
    const float k = scale / 256.0f;
    for (int y = 0; y < heights.height; ++y) {
        for (int x = 0; x < heights.width; ++x) {
            // Each slope the average of two central differences: this row's and the next's.
            const float dx = (Height(heights, x + 1, y) - Height(heights, x - 1, y) + Height(heights, x + 1, y + 1) -
                              Height(heights, x - 1, y + 1)) / 4.0f;
            const float dy = (Height(heights, x, y + 1) - Height(heights, x, y - 1) + Height(heights, x + 1, y + 1) -
                              Height(heights, x + 1, y - 1)) / 4.0f;
            PutNormal(normals, static_cast<size_t>(y) * heights.width + x, -dx * k, -dy * k, 1.0f);
        }
    }
    return normals;
}

RgbaImage AddNormals(const RgbaImage& a, const RgbaImage& b) {
    RgbaImage sum = a;
    for (int y = 0; y < a.height; ++y) {
        for (int x = 0; x < a.width; ++x) {
            const uint8_t* p = a.At(x, y);
            const uint8_t* q = b.At(static_cast<int>(static_cast<long long>(x) * b.width / a.width),
                                    static_cast<int>(static_cast<long long>(y) * b.height / a.height));
            PutNormal(sum, static_cast<size_t>(y) * a.width + x, Component(p[0]) + Component(q[0]),
                      Component(p[1]) + Component(q[1]), Component(p[2]) * Component(q[2]));
        }
    }
    return sum;
}

}  // namespace convert
