// glTF and GLB bytes read, checked and posed as md5tool render reads them: at the rest
// pose and at keys of every animation, drawn as triangles.
#include <cstddef>
#include <cstdint>
#include <string>

#include "gltf_scene.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    convert::GltfScene scene;
    std::string error;
    if (!scene.LoadBytes(data, size, &error)) return 0;
    scene.Draw(-1, 0);
    for (int a = 0; a < scene.AnimationCount() && a < 4; ++a) {
        const int keys = scene.KeyCount(a);
        for (int key = 0; key < keys && key < 8; ++key) scene.Draw(a, key);
    }
    return 0;
}
