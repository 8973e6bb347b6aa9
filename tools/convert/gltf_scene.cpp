#include "gltf_scene.h"

#include <algorithm>
#include <cmath>

#include "gltf_input.h"
#include "tinygltf_settings.h"

namespace convert {

GltfScene::GltfScene() : model_(new tinygltf::Model) {}
GltfScene::~GltfScene() { delete model_; }

bool GltfScene::Load(FileSet& files, const std::string& path, std::string* error) {
    return ReadGltfFile(files, path, model_, error) && Check(error);
}

bool GltfScene::LoadBytes(const unsigned char* bytes, size_t size, std::string* error) {
    return ReadGltfBytes(bytes, size, nullptr, "", model_, error) && Check(error);
}

bool GltfScene::Check(std::string* error) {
    if (!CheckGltf(*model_, &checked_, error)) return false;
    // The first node that draws a skinned mesh, else (a static model, as export writes
    // one without joints) the first that draws a mesh.
    meshNode_ = -1;
    for (int pass = 0; pass < 2 && meshNode_ < 0; ++pass) {
        for (size_t n = 0; n < checked_.nodes.size() && meshNode_ < 0; ++n) {
            if (checked_.nodes[n].mesh >= 0 && (pass == 1 || checked_.nodes[n].skin >= 0)) meshNode_ = static_cast<int>(n);
        }
    }
    if (meshNode_ < 0) *error = "no node draws a mesh";
    return meshNode_ >= 0;
}

int GltfScene::AnimationCount() const { return static_cast<int>(checked_.animations.size()); }

int GltfScene::KeyCount(int animation) const {
    if (animation < 0 || animation >= AnimationCount()) return 0;
    const CheckedAnimation& clip = checked_.animations[static_cast<size_t>(animation)];
    return clip.channels.empty() ? 0 : static_cast<int>(clip.channels[0].times.size());
}

std::vector<GltfScene::Vertex> GltfScene::Skin(int animation, int key) const {
    if (key < 0 || key >= KeyCount(animation)) return SkinAt(-1, 0);
    return SkinAt(animation, checked_.animations[static_cast<size_t>(animation)].channels[0].times[static_cast<size_t>(key)]);
}

std::vector<GltfScene::Vertex> GltfScene::SkinAt(int animation, double time) const {
    const bool posed = animation >= 0 && animation < AnimationCount();
    const std::vector<GltfMatrix> global =
        NodeGlobals(checked_, posed ? &checked_.animations[static_cast<size_t>(animation)] : nullptr, time);
    const CheckedNode& meshNode = checked_.nodes[static_cast<size_t>(meshNode_)];
    // A static mesh is drawn with its node's transform, as one joint of weight 1.
    std::vector<GltfMatrix> joints;
    if (meshNode.skin < 0) joints.push_back(global[static_cast<size_t>(meshNode_)]);
    if (meshNode.skin >= 0) {
        const CheckedSkin& skin = checked_.skins[static_cast<size_t>(meshNode.skin)];
        for (size_t j = 0; j < skin.joints.size(); ++j) {
            joints.push_back(Multiply(global[static_cast<size_t>(skin.joints[j])], skin.inverseBinds[j]));
        }
    }
    std::vector<Vertex> vertices;
    for (const CheckedPrimitive& primitive : checked_.meshes[static_cast<size_t>(meshNode.mesh)].primitives) {
        const bool skinned = meshNode.skin >= 0;
        const size_t influences = skinned ? 4 * static_cast<size_t>(primitive.influenceSets) : 1;
        for (size_t v = 0; v < primitive.positions.size(); ++v) {
            Vertex out{{0, 0, 0}, {0, 0, 0}, {0, 0}};
            const std::array<float, 3>& p = primitive.positions[v];
            const std::array<float, 3> n = primitive.normals.empty() ? std::array<float, 3>{0, 0, 0} : primitive.normals[v];
            for (size_t k = 0; k < influences; ++k) {
                const GltfMatrix& m = joints[skinned ? primitive.joints[v * influences + k] : 0];
                const double w = skinned ? primitive.weights[v * influences + k] : 1.0;
                for (size_t row = 0; row < 3; ++row) {
                    out.position[row] += w * (m[row] * p[0] + m[4 + row] * p[1] + m[8 + row] * p[2] + m[12 + row]);
                    out.normal[row] += w * (m[row] * n[0] + m[4 + row] * n[1] + m[8 + row] * n[2]);
                }
            }
            if (!primitive.texCoords.empty()) out.texCoord = primitive.texCoords[v];
            vertices.push_back(out);
        }
    }
    return vertices;
}

std::vector<StreamTriangle> GltfScene::Draw(int animation, int key) const {
    const std::vector<Vertex> vertices = Skin(animation, key);
    std::vector<StreamTriangle> triangles;
    size_t first = 0;
    const CheckedMesh& mesh = checked_.meshes[static_cast<size_t>(checked_.nodes[static_cast<size_t>(meshNode_)].mesh)];
    for (size_t p = 0; p < mesh.primitives.size(); ++p) {
        const std::vector<uint32_t>& indices = mesh.primitives[p].indices;
        for (size_t i = 0; i + 2 < indices.size(); i += 3) {
            StreamTriangle triangle;
            triangle.mesh = static_cast<int>(p);
            // glTF's front face winds counter-clockwise in its right-handed space: the
            // side (b - a) x (c - a) points to, mirrored into the device's space.
            const auto& a = vertices[first + indices[i]].position;
            const auto& b = vertices[first + indices[i + 1]].position;
            const auto& c = vertices[first + indices[i + 2]].position;
            const double e1[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
            const double e2[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
            triangle.front[0] = static_cast<float>(e1[1] * e2[2] - e1[2] * e2[1]);
            triangle.front[1] = static_cast<float>(e1[2] * e2[0] - e1[0] * e2[2]);
            triangle.front[2] = -static_cast<float>(e1[0] * e2[1] - e1[1] * e2[0]);
            for (size_t c = 0; c < 3; ++c) {
                const Vertex& v = vertices[first + indices[i + c]];
                StreamVertex& out = triangle.corners[c];
                const double length = std::sqrt(v.normal[0] * v.normal[0] + v.normal[1] * v.normal[1] +
                                                 v.normal[2] * v.normal[2]);
                const double n = length > 0 ? 1 / length : 0;
                // The device's axes: glTF's with z negated.
                const float position[3] = {float(v.position[0]), float(v.position[1]), float(-v.position[2])};
                const float normal[3] = {float(v.normal[0] * n), float(v.normal[1] * n), float(-v.normal[2] * n)};
                for (int k = 0; k < 3; ++k) {
                    out.position[k] = position[k];
                    out.normal[k] = normal[k];
                }
                // The texture v the library hands a device: the negated file v, 1 less than glTF's.
                out.texCoord[0] = v.texCoord[0];
                out.texCoord[1] = v.texCoord[1] - 1.0f;
            }
            triangles.push_back(triangle);
        }
        first += mesh.primitives[p].positions.size();
    }
    return triangles;
}

}  // namespace convert
