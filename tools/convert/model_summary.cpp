#include "model_summary.h"

#include <algorithm>

#include "texture_image.h"

namespace convert {

namespace {

MeshSummary SummarizeMesh(const brmath::Mesh& mesh, const std::string& meshPath, FileSet& files) {
    MeshSummary summary;
    summary.shader = mesh.shader;
    summary.vertices = mesh.vertexCount;
    summary.triangles = mesh.triangleCount;
    summary.weights = mesh.weightCount;
    std::vector<bool> used(static_cast<size_t>(mesh.vertexCount), false);
    for (int t = 0; t < mesh.triangleCount; ++t) {
        for (const int32_t corner : mesh.triangles[t].indices) used[static_cast<size_t>(corner)] = true;
    }
    summary.unusedVertices = std::count(used.begin(), used.end(), false);
    summary.image = FindShaderImage(files, meshPath, mesh.shader);
    return summary;
}

void Enclose(const brmath::Mesh& mesh, float low[3], float high[3]) {
    for (int v = 0; v < mesh.vertexCount; ++v) {
        const brmath::Vector3& p = mesh.vertices[v].position;
        const float c[3] = {p.x, p.y, p.z};
        for (int k = 0; k < 3; ++k) {
            low[k] = std::min(low[k], c[k]);
            high[k] = std::max(high[k], c[k]);
        }
    }
}

}  // namespace

ModelSummary Summarize(const LoadedModel& model, FileSet& files) {
    ModelSummary summary;
    const brmath::Actor& actor = *model.actor;
    summary.joints = actor.jointCount;
    summary.clipsLeftOut = model.clipsLeftOut;
    float low[3] = {1e30f, 1e30f, 1e30f}, high[3] = {-1e30f, -1e30f, -1e30f};
    for (int m = 0; m < actor.meshCount; ++m) {
        summary.meshes.push_back(SummarizeMesh(actor.meshes[m], model.mesh, files));
        summary.vertices += actor.meshes[m].vertexCount;
        summary.triangles += actor.meshes[m].triangleCount;
        summary.weights += actor.meshes[m].weightCount;
        Enclose(actor.meshes[m], low, high);
    }
    summary.bounded = low[0] <= high[0];
    std::copy(low, low + 3, summary.low);
    std::copy(high, high + 3, summary.high);
    for (int c = 0; c < actor.animationCount; ++c) {
        const brmath::Animation& clip = actor.animations[c];
        summary.clips.push_back({model.clipNames[static_cast<size_t>(c)], clip.frameCount, clip.frameRate,
                                 clip.trackCount});
    }
    return summary;
}

}  // namespace convert
