#pragma once

// Reading glTF bytes before and through tinygltf, so that hostile files fail with a
// reason: files from a file set only, the GLB container's header and chunks checked against
// the file, JSON nesting kept shallow, buffer URIs resolved inside the glTF's folder.
#include <cstddef>
#include <string>

#include "file_set.h"

namespace tinygltf {
class Model;
}

namespace convert {

// The deepest nesting of JSON arrays and objects a glTF file may have.
constexpr int kMaxJsonDepth = 64;

// Whether a path names a glTF file: .glb or .gltf, in any case.
bool IsGltfPath(const std::string& path);

// Reads a .glb or .gltf file of the set (told apart by its first bytes) into `model`;
// false with the reason. Buffer files are read only from the file's own folder (or
// below it), as regular files, with no other place tried; images are not read.
bool ReadGltfFile(FileSet& files, const std::string& path, tinygltf::Model* model, std::string* error);

// The same for bytes in memory whose buffer files lie in `folder` of `files` (null or
// "" allows none).
bool ReadGltfBytes(const unsigned char* bytes, size_t size, FileSet* files, const std::string& folder,
                   tinygltf::Model* model, std::string* error);

}  // namespace convert
