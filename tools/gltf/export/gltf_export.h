#pragma once

// MD5 to glTF: the conversion that md5tool export and the web module share.
#include <string>
#include <utility>
#include <vector>

#include "commands.h"

namespace md5tool {

// The files of one export, not yet written, and what was said on the way.
struct ExportResult {
    int status = kBadInput;  // kSuccess, or why not (kBadUsage, kBadInput)
    // Path and bytes of each file, the glTF last (before it, a .gltf's .bin and images).
    std::vector<std::pair<std::string, std::string>> files;
    std::vector<std::string> messages;  // warnings and, on failure, the reason: a line each
    std::string summary;                // "OUT: J joints, M meshes, ..." on success
};

// Reads `options.mesh` and its clips with the library and converts them as
// `options.output` names (.glb, or .gltf with its buffer beside it or embedded).
// Opens no file for writing and prints nothing.
ExportResult ExportGltf(const ExportOptions& options);

}  // namespace md5tool
