#pragma once

// A glTF file on disk read as md5tool reads it, through a file set of its own.
#include <string>

#include "disk_files.h"
#include "gltf_scene.h"

namespace brmath_test {

inline bool LoadScene(convert::GltfScene& scene, const std::string& path, std::string* error) {
    md5tool::DiskFiles files;
    return scene.Load(files, path, error);
}

}  // namespace brmath_test
