// Writes the bundled game base: the sample robot as a game lays it out, in one .pk4
// with a model declaration, an entityDef, materials with diffuse, normal and specular
// maps (normal maps built by the heightmap and addnormals programs) and their images,
// drawn here as panels with grooves and rivets.
// Usage: make_game_sample ROBOT_FOLDER OUTPUT.pk4
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "texture_image.h"
#include "zip_writer.h"

namespace {

constexpr int kSize = 128;
constexpr int kPanel = 32;

const char kDef[] = R"(// the sample robot, declared as a game declares its models
model robot {
    mesh models/md5/robot/robot.md5mesh
    anim idle models/md5/robot/idle.md5anim
    anim walk models/md5/robot/walk.md5anim
    anim wave models/md5/robot/wave.md5anim
}

entityDef robot_entity {
    "editor_color" "1 .5 0"
    "model" "robot"
}
)";

const char kMaterials[] = R"(// the short forms, with a normal map built from heights
robot/body {
    qer_editorimage textures/robot/body_d
    diffusemap textures/robot/body_d
    bumpmap heightmap(textures/robot/panels_h, 6)
    specularmap textures/robot/body_s
}

// stages, with a normal map added to one built from heights
robot/limbs {
    {
        blend diffusemap
        map textures/robot/limbs_d
    }
    {
        blend bumpmap
        map addnormals(textures/robot/limbs_local, heightmap(textures/robot/panels_h, 4))
    }
    {
        blend specularmap
        map textures/robot/body_s
    }
}
)";

// What a pixel of the panels is: 0 groove, 1 panel, 2 rivet.
int Feature(int x, int y) {
    const int px = x % kPanel, py = y % kPanel;
    if (px < 2 || py < 2) return 0;
    for (int cx : {7, kPanel - 6}) {
        for (int cy : {7, kPanel - 6}) {
            if ((px - cx) * (px - cx) + (py - cy) * (py - cy) <= 5) return 2;
        }
    }
    return 1;
}

template <typename Pixel>
std::string Picture(Pixel pixel) {
    convert::RgbaImage image;
    image.width = image.height = kSize;
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            unsigned char rgb[3];
            pixel(x, y, rgb);
            image.pixels.insert(image.pixels.end(), {rgb[0], rgb[1], rgb[2], 255});
        }
    }
    return convert::EncodePng(image);
}

std::string Paint(int r, int g, int b) {
    return Picture([=](int x, int y, unsigned char* rgb) {
        const int feature = Feature(x, y);
        const double shade = feature == 0 ? 0.55 : feature == 2 ? 1.1 : 1.0 - 0.08 * ((x / kPanel + y / kPanel) % 2);
        const int tone[3] = {r, g, b};
        for (int c = 0; c < 3; ++c) rgb[c] = static_cast<unsigned char>(std::fmin(255.0, tone[c] * shade));
    });
}

std::string Read(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_game_sample ROBOT_FOLDER OUTPUT.pk4\n");
        return 2;
    }
    const std::string robot = argv[1];
    convert::ZipWriter pk4;
    // Stored, not deflated: the archive is then the same whatever zlib builds it.
    const auto add = [&](const std::string& name, const std::string& bytes) { pk4.Add(name, bytes, false); };
    add("def/robot.def", kDef);
    add("materials/robot.mtr", kMaterials);
    for (const char* file : {"robot.md5mesh", "idle.md5anim", "walk.md5anim", "wave.md5anim"}) {
        const std::string bytes = Read(robot + "/" + file);
        if (bytes.empty()) {
            std::fprintf(stderr, "make_game_sample: cannot read %s/%s\n", robot.c_str(), file);
            return 1;
        }
        add(std::string("models/md5/robot/") + file, bytes);
    }
    add("textures/robot/body_d.png", Paint(236, 158, 71));
    add("textures/robot/limbs_d.png", Paint(89, 140, 204));
    add("textures/robot/panels_h.png", Picture([](int x, int y, unsigned char* rgb) {
            const int feature = Feature(x, y);
            rgb[0] = rgb[1] = rgb[2] = static_cast<unsigned char>(feature == 0 ? 0 : feature == 2 ? 255 : 160);
        }));
    add("textures/robot/limbs_local.png", Picture([](int x, int, unsigned char* rgb) {
            // Shallow ridges across the limbs.
            const double lean = 0.35 * std::sin(x * 2 * 3.14159265358979 / 16);
            rgb[0] = static_cast<unsigned char>(std::lround(lean * 127 + 128));
            rgb[1] = 128;
            rgb[2] = static_cast<unsigned char>(std::lround(std::sqrt(1 - lean * lean) * 127 + 128));
        }));
    add("textures/robot/body_s.png", Picture([](int x, int y, unsigned char* rgb) {
            const int feature = Feature(x, y);
            rgb[0] = rgb[1] = rgb[2] = static_cast<unsigned char>(feature == 0 ? 20 : feature == 2 ? 255 : 150);
        }));
    const std::string archive = pk4.Finish();
    std::ofstream out(argv[2], std::ios::binary);
    out << archive;
    if (!out) {
        std::fprintf(stderr, "make_game_sample: cannot write %s\n", argv[2]);
        return 1;
    }
    std::printf("%s\n", argv[2]);
    return 0;
}
