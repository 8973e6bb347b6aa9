// Writes the sample robot as the Quake remasters lay out their models: a Quake base
// (id1/pak0.pak: progs/robot.mdl naming the frames of one clip that runs the robot's
// idle, walk and wave in turn, the mesh and that clip, 8-bit skins whose lights are
// full bright, and a palette) and a Quake 2 base (baseq2/pak0.pak: models/robot/tris.md2
// and md5/ with the mesh, the clip, a PCX skin and a .md5scale that throws the head off
// during the wave and swells the right hand).
// Usage: make_quake_sample ROBOT_FOLDER OUTPUT_FOLDER
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "file_set.h"
#include "loaded_model.h"
#include "md5_writer.h"
#include "quake_writer.h"

namespace {

constexpr int kSkin = 64;
constexpr int kLit = 224;  // indices from here on are full bright

// 216 colours of a 6 x 6 x 6 cube and 8 greys, then 32 full brights from red to yellow.
std::string Palette() {
    std::string palette;
    for (int i = 0; i < 256; ++i) {
        int rgb[3];
        if (i < 216) {
            rgb[0] = i / 36 * 51, rgb[1] = i / 6 % 6 * 51, rgb[2] = i % 6 * 51;
        } else if (i < kLit) {
            rgb[0] = rgb[1] = rgb[2] = (i - 216) * 32 + 16;
        } else {
            rgb[0] = 255, rgb[1] = (i - kLit) * 8, rgb[2] = (i - kLit) * 2;
        }
        for (int c : rgb) palette.push_back(static_cast<char>(c));
    }
    return palette;
}

// The lit colour nearest to (r, g, b).
uint8_t Nearest(const std::string& palette, int r, int g, int b) {
    int best = 0;
    long bestDistance = -1;
    for (int i = 0; i < kLit; ++i) {
        const int dr = static_cast<unsigned char>(palette[i * 3]) - r, dg = static_cast<unsigned char>(palette[i * 3 + 1]) - g,
                  db = static_cast<unsigned char>(palette[i * 3 + 2]) - b;
        const long distance = 1L * dr * dr + dg * dg + db * db;
        if (bestDistance < 0 || distance < bestDistance) best = i, bestDistance = distance;
    }
    return static_cast<uint8_t>(best);
}

// Panels of a colour with dark seams, and a full-bright lamp in each panel's corner.
std::vector<uint8_t> Skin(const std::string& palette, int r, int g, int b) {
    std::vector<uint8_t> indices;
    const uint8_t panel = Nearest(palette, r, g, b), seam = Nearest(palette, r / 2, g / 2, b / 2);
    for (int y = 0; y < kSkin; ++y) {
        for (int x = 0; x < kSkin; ++x) {
            const int px = x % 16, py = y % 16;
            const bool lamp = px >= 11 && px <= 13 && py >= 11 && py <= 13;
            indices.push_back(lamp ? static_cast<uint8_t>(kLit + 24) : px < 1 || py < 1 ? seam : panel);
        }
    }
    return indices;
}

// The robot's clips, one after another, as one clip: every joint's pose at each frame
// (from the clips' own keys) and the bounds the library poses it in.
convert::Md5Clip OneClip(convert::LoadedModel& robot, std::vector<std::string>* frameNames) {
    brmath::Actor& actor = *robot.actor;
    convert::Md5Clip clip;
    for (int c = 0; c < actor.animationCount; ++c) {
        const brmath::Animation& source = actor.animations[c];
        actor.SetAnimation(c);
        for (int f = 0; f < source.frameCount; ++f) {
            std::vector<convert::Md5Pose> poses(static_cast<size_t>(actor.jointCount));
            for (int t = 0; t < source.trackCount; ++t) {
                const brmath::AnimTrack& track = source.tracks[t];
                if (track.joint == nullptr) continue;
                const brmath::AnimKey key = track.keys != nullptr ? track.keys[f]
                                                                  : brmath::AnimKey{track.basePosition, track.baseOrientation};
                convert::Md5Pose& pose = poses[static_cast<size_t>(track.joint->index)];
                pose.position = {key.position.x, key.position.y, key.position.z};
                pose.orientation = {key.orientation.x, key.orientation.y, key.orientation.z, key.orientation.w};
            }
            clip.frames.push_back(poses);
            actor.ProceedAnimation(f);
            const convert::PosedBox box = convert::PosedBoxOf(actor);
            clip.bounds.push_back({box.low, box.high});
            frameNames->push_back(robot.clipNames[static_cast<size_t>(c)] + std::to_string(f + 1));
        }
    }
    return clip;
}

bool Write(const std::filesystem::path& path, const std::string& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out << bytes;
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_quake_sample ROBOT_FOLDER OUTPUT_FOLDER\n");
        return 2;
    }
    convert::MemoryFiles files;
    for (const char* name : {"robot.md5mesh", "idle.md5anim", "walk.md5anim", "wave.md5anim"}) {
        std::ifstream in(std::filesystem::path(argv[1]) / name, std::ios::binary);
        files.Add(name, std::string(std::istreambuf_iterator<char>(in), {}));
    }
    convert::LoadedModel robot = convert::LoadModel(files, "robot.md5mesh");
    if (!robot.loaded || robot.actor->animationCount != 3) {
        std::fprintf(stderr, "make_quake_sample: the robot in %s does not load with its three clips\n", argv[1]);
        return 1;
    }
    convert::Md5Model skeleton;
    for (int j = 0; j < robot.actor->jointCount; ++j) {
        skeleton.joints.push_back({robot.actor->joints[j].name, robot.actor->joints[j].parentIndex, {0, 0, 0}, {0, 0, 0, 1}});
    }
    std::vector<std::string> frames;
    const std::string clip = convert::WriteMd5Anim(skeleton, OneClip(robot, &frames), "make_quake_sample");
    const std::string mesh = *files.Bytes("robot.md5mesh");
    const std::string palette = Palette();
    // Idle 0-59, walk 60-91, wave 92-139: the head comes off for the wave's middle, and
    // the waving hand swells.
    std::string scale = "{\n\t\"head\": {";
    for (int f = 108; f < 124; ++f) scale += (f > 108 ? ", " : " ") + std::string("\"") + std::to_string(f) + "\": 0";
    scale += " },\n\t\"r_hand\": { \"scale_positions\": true";
    for (int f = 96; f < 108; ++f) scale += ", \"" + std::to_string(f) + "\": 2";
    scale += " }\n}\n";
    const std::filesystem::path out = argv[2];
    const bool written =
        Write(out / "id1/pak0.pak",
              convert::WritePack({{"progs/robot.mdl", convert::WriteMdl(frames)},
                                  {"progs/robot.md5mesh", mesh},
                                  {"progs/robot.md5anim", clip},
                                  {"gfx/palette.lmp", palette},
                                  {"progs/robot/body_00_00.lmp", convert::WriteLmp(kSkin, kSkin, Skin(palette, 236, 158, 71))},
                                  {"progs/robot/limbs_00_00.lmp", convert::WriteLmp(kSkin, kSkin, Skin(palette, 89, 140, 204))}})) &&
        Write(out / "baseq2/pak0.pak",
              convert::WritePack({{"models/robot/tris.md2", convert::WriteMd2(frames, {"models/robot/skin.pcx"})},
                                  {"models/robot/md5/tris.md5mesh", mesh},
                                  {"models/robot/md5/tris.md5anim", clip},
                                  {"models/robot/md5/tris.md5scale", scale},
                                  {"models/robot/md5/skin.pcx",
                                   convert::WritePcx(kSkin, kSkin, Skin(palette, 236, 158, 71), palette)}}));
    if (!written) {
        std::fprintf(stderr, "make_quake_sample: cannot write into %s\n", argv[2]);
        return 1;
    }
    std::printf("%s\n", argv[2]);
    return 0;
}
