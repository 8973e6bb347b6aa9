#pragma once

// A glTF file posed as a viewer poses it (node transforms from an animation's key,
// then linear blend skinning), for drawing and for checking the export.
#include <array>
#include <string>
#include <vector>

#include "file_set.h"
#include "gltf_checked.h"
#include "software_device.h"

namespace tinygltf {
class Model;
}

namespace convert {

class GltfScene {
public:
    GltfScene();
    ~GltfScene();
    GltfScene(const GltfScene&) = delete;
    GltfScene& operator=(const GltfScene&) = delete;

    // Reads a .glb or .gltf file of the set with a mesh (the first skinned one, else the
    // first), checked whole; false with the reason when it cannot.
    bool Load(FileSet& files, const std::string& path, std::string* error);
    // The same for bytes in memory, with no buffer files.
    bool LoadBytes(const unsigned char* bytes, size_t size, std::string* error);
    const tinygltf::Model& Model() const { return *model_; }
    const CheckedGltf& Checked() const { return checked_; }
    int AnimationCount() const;
    // The keys of an animation: the key times of its first channel.
    int KeyCount(int animation) const;

    // Every vertex of every primitive at key `key` of `animation` (-1: the rest pose),
    // in glTF's space, with its skinned normal.
    struct Vertex {
        std::array<double, 3> position, normal;
        std::array<float, 2> texCoord;
    };
    std::vector<Vertex> Skin(int animation, int key) const;
    // The same at any time of an animation (-1: the rest pose).
    std::vector<Vertex> SkinAt(int animation, double time) const;
    // The same as triangles in a y-up device's left-handed space (glTF's z negated),
    // each with its primitive as its mesh, as the software device records them.
    std::vector<StreamTriangle> Draw(int animation, int key) const;

private:
    bool Check(std::string* error);

    tinygltf::Model* model_;
    CheckedGltf checked_;
    int meshNode_ = -1;  // the node that draws the mesh
};

}  // namespace convert
