// The Quake files beside a remaster's model, each read from the bytes after a first
// byte that chooses the reader: 0 an .lmp, 1 a .pcx (each expanded with full brights),
// 2 an .mdl's and 3 an .md2's frame names (split into clips), 4 an .md5scale against a
// skeleton of four joints and a clip of six frames (then written out and read back).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "frame_names.h"
#include "md5_scale.h"
#include "paletted_image.h"

namespace {

void Image(const std::string& bytes, bool pcx) {
    convert::PalettedImage image;
    std::string why;
    if (!(pcx ? convert::DecodePcx(bytes, &image, &why) : convert::DecodeLmp(bytes, &image, &why))) return;
    convert::RgbaImage lit, glow;
    bool any = false;
    convert::ExpandPalette(image, std::string(convert::kPaletteSize, '\x40'), true, &lit, &glow, &any);
}

void OldModel(const std::string& bytes, bool md2) {
    convert::OldModel model;
    convert::Diagnostic failure;
    if (md2 ? convert::ReadMd2(bytes, "fuzz.md2", &model, &failure) : convert::ReadMdl(bytes, "fuzz.mdl", &model, &failure)) {
        convert::FrameSequences(model.frames);
    }
}

void Scale(const std::string& bytes) {
    brmath::Joint joints[4] = {};
    const char* names[4] = {"origin", "head", "eye", "weapon"};
    for (int j = 0; j < 4; ++j) std::snprintf(joints[j].name, sizeof(joints[j].name), "%s", names[j]);
    brmath::ModelRecords model;
    model.joints = joints;
    model.jointCount = 4;
    convert::Diagnostics said;
    const convert::Md5Scale scale = convert::ReadMd5Scale(bytes, "fuzz.md5scale", model, 6, &said);
    std::vector<brmath::JointScale> scales;
    for (int frame = 0; frame < 6; ++frame) convert::ScalesAtFrame(scale, 4, frame, &scales);
    convert::ReadMd5Scale(convert::WriteMd5Scale(scale, {names, names + 4}), "again.md5scale", model, 6, &said);
    model.joints = nullptr;  // on the stack, not the model's to free
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    switch (data[0] % 5) {
        case 0: Image(bytes, false); break;
        case 1: Image(bytes, true); break;
        case 2: OldModel(bytes, false); break;
        case 3: OldModel(bytes, true); break;
        default: Scale(bytes); break;
    }
    return 0;
}
