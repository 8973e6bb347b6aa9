// The whole library through its exports: the input is a mesh file and a clip file,
// apart by a line "@@clip@@", after two control bytes that choose the clip index and a
// frame. The model is loaded, reloaded, played at many frames (negative and extreme
// ones too) and drawn through a recording device.
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "brmath/brmath.h"
#include "fuzz_files.h"
#include "support/recording_device.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const int slot = MD5_AddActor();
    if (size < 2) return 0;
    const int clip = static_cast<int8_t>(data[0]);
    const int frame = static_cast<int8_t>(data[1]) * 1000003;
    const std::string text(reinterpret_cast<const char*>(data + 2), size - 2);
    const std::string separator = "\n@@clip@@\n";
    const size_t split = text.find(separator);
    const std::string mesh = text.substr(0, split);
    const std::string anim = split == std::string::npos ? "" : text.substr(split + separator.size());
    const std::string meshPath =
        brmath_fuzz::WriteFile("model.md5mesh", reinterpret_cast<const unsigned char*>(mesh.data()), mesh.size());
    if (split != std::string::npos) {
        brmath_fuzz::WriteFile("clip.md5anim", reinterpret_cast<const unsigned char*>(anim.data()), anim.size());
    } else {
        brmath_fuzz::RemoveFile("clip.md5anim");
    }

    brmath_test::RecordingDevice device;
    device.copyVertices = false;
    for (int pass = 0; pass < 2; ++pass) {
        MD5_LoadActor(slot, meshPath.c_str());
        MD5_SetAnimation(slot, clip);
        MD5_SetAnimation(slot, pass);
        for (int f : {0, 1, frame, -1, INT_MAX, INT_MIN}) {
            MD5_ProceedAnimation(slot, f);
            MD5_RenderActor(slot, device.Device());
        }
        MD5_GetFrameCount(slot);
        device.calls.clear();
    }
    MD5_RenderActor(slot, nullptr);
    BRVector2 sum{0, 0};
    const BRVector2 a{static_cast<float>(clip), static_cast<float>(frame)};
    V2_Add(&sum, &a, &a);
    return 0;
}
