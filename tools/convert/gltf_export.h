#pragma once

// MD5 to glTF: a loaded model and its clips as the bytes of a glTF file.
#include <string>
#include <utility>
#include <vector>

#include "diagnostics.h"
#include "file_set.h"
#include "loaded_model.h"
#include "surface_maps.h"

namespace convert {

struct ExportRequest {
    std::string output;     // the glTF's name: .glb, or .gltf (JSON, its buffer beside it unless `embed`)
    int clip = -1;          // the one clip to export; -1: every clip
    double scale = 1;       // model units to metres, within ScaleInRange
    bool embed = false;     // a .gltf's buffer and images inside it
    int maxWeights = 8;     // weights a vertex, the largest kept: 1 to kMaxWeights
    // A game model's maps, one a mesh: written as its materials (normal maps with
    // tangents, specular through KHR_materials_specular), texture v as the game reads it.
    const std::vector<SurfaceMaps>* maps = nullptr;
};

// What the glTF holds (the blocks left out are not counted).
struct ExportedCounts {
    int joints = 0;
    long long meshes = 0, vertices = 0, unusedVertices = 0, triangles = 0;
    int clips = 0, frames = 0;
};

struct ExportResult {
    bool ok = false;
    // Path and bytes of each file, the glTF last (before it, a .gltf's .bin and images).
    std::vector<std::pair<std::string, std::string>> files;
    Diagnostics diagnostics;  // what export changed or left out, and on failure why
    ExportedCounts counts;
};

// Whether a name ends in .glb or .gltf, in any case; *binary tells which.
bool IsGltfOutput(const std::string& output, bool* binary);

// Converts a loaded model, sampling every clip from that one load; images come from
// `files`. The actor shows what it showed before when it returns.
ExportResult ExportGltf(LoadedModel& model, FileSet& files, const ExportRequest& request);

}  // namespace convert
