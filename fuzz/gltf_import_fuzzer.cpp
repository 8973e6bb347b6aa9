// glTF and GLB bytes through md5tool import's conversion: read and checked, converted
// to MD5 text, which the library's own readers must then accept.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "gltf_import.h"
#include "gltf_input.h"
#include "md5/anim_reader.h"
#include "md5/load_report.h"
#include "md5/mesh_reader.h"
#include "md5/read_failure.h"
#include "md5/text_file.h"
#include "tinygltf_settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tinygltf::Model parsed;
    convert::CheckedGltf gltf;
    std::string error;
    if (!convert::ReadGltfBytes(data, size, nullptr, "", &parsed, &error) || !convert::CheckGltf(parsed, &gltf, &error)) return 0;
    convert::Conversion conversion;
    convert::ConversionOptions options;
    options.fps = 12;  // few frames, whatever the key times
    if (!convert::ConvertGltf(gltf, options, &conversion, &error)) return 0;
    const std::string mesh = convert::WriteMd5Mesh(conversion.model, "fuzz");
    brmath::TextFile text;
    brmath::ModelRecords model;
    brmath::ReadFailure failure;
    if (!text.OpenText(mesh.data(), mesh.size())) return 0;
    if (!brmath::ReadMeshText(text, model, brmath::FileNotes(nullptr, ""), &failure)) std::abort();
    for (convert::Md5Clip& clip : conversion.clips) {
        clip.bounds.resize(clip.frames.size());
        const std::string anim = convert::WriteMd5Anim(conversion.model, clip, "fuzz");
        brmath::TextFile animText;
        brmath::Animation read{};
        if (animText.OpenText(anim.data(), anim.size()) &&
            !brmath::ReadClipText(animText, model, read, brmath::FileNotes(nullptr, ""), &failure)) {
            std::abort();
        }
        brmath::ReleaseAnimation(read);
    }
    brmath::ReleaseModel(model);
    return 0;
}
