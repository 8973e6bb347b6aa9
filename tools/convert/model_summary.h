#pragma once

// What a loaded model holds, counted once for every front end: md5tool info and check,
// and the web module's description.
#include <string>
#include <vector>

#include "file_set.h"
#include "loaded_model.h"

namespace convert {

struct MeshSummary {
    std::string shader;
    long long vertices = 0;
    long long unusedVertices = 0;  // that no triangle uses
    long long triangles = 0;
    long long weights = 0;
    std::string image;  // the image file the shader names beside the mesh, or empty
};

struct ClipSummary {
    std::string name;
    int frames = 0;
    int frameRate = 0;
    int tracks = 0;
};

struct ModelSummary {
    int joints = 0;
    long long vertices = 0, triangles = 0, weights = 0;  // of every mesh
    std::vector<MeshSummary> meshes;
    std::vector<ClipSummary> clips;
    int clipsLeftOut = 0;
    bool bounded = false;  // some vertex: the bind pose's bounds below are set
    float low[3] = {0, 0, 0}, high[3] = {0, 0, 0};
};

// The counts of a loaded model; `files` is asked which shader images exist (none read).
ModelSummary Summarize(const LoadedModel& model, FileSet& files);

}  // namespace convert
