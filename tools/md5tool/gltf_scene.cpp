#include "gltf_scene.h"

#include <cmath>

#define TINYGLTF_NO_STB_IMAGE
#define TINYGLTF_NO_STB_IMAGE_WRITE
#define TINYGLTF_NO_EXTERNAL_IMAGE
#define TINYGLTF_NO_INCLUDE_JSON
#include <nlohmann/json.hpp>
#include <tiny_gltf.h>

namespace md5tool {

namespace {

using Matrix = std::array<double, 16>;  // column-major, as glTF stores matrices

Matrix Multiply(const Matrix& a, const Matrix& b) {
    Matrix r{};
    for (int c = 0; c < 4; ++c) {
        for (int row = 0; row < 4; ++row) {
            for (int k = 0; k < 4; ++k) r[4 * c + row] += a[4 * k + row] * b[4 * c + k];
        }
    }
    return r;
}

// T * R * S, as glTF composes a node's transform.
Matrix Compose(const std::vector<double>& t, const std::vector<double>& q, const std::vector<double>& s) {
    const double x = q[0], y = q[1], z = q[2], w = q[3];
    Matrix m{1 - 2 * (y * y + z * z), 2 * (x * y + w * z), 2 * (x * z - w * y), 0,
             2 * (x * y - w * z), 1 - 2 * (x * x + z * z), 2 * (y * z + w * x), 0,
             2 * (x * z + w * y), 2 * (y * z - w * x), 1 - 2 * (x * x + y * y), 0,
             t[0], t[1], t[2], 1};
    for (int c = 0; c < 3; ++c) {
        for (int row = 0; row < 3; ++row) m[4 * c + row] *= s[static_cast<size_t>(c)];
    }
    return m;
}

template <typename T>
const T* Data(const tinygltf::Model& model, int accessor) {
    const tinygltf::Accessor& a = model.accessors[static_cast<size_t>(accessor)];
    const tinygltf::BufferView& view = model.bufferViews[static_cast<size_t>(a.bufferView)];
    return reinterpret_cast<const T*>(model.buffers[static_cast<size_t>(view.buffer)].data.data() + view.byteOffset +
                                      a.byteOffset);
}

size_t CountOf(const tinygltf::Model& model, int accessor) { return model.accessors[static_cast<size_t>(accessor)].count; }

}  // namespace

GltfScene::GltfScene() : model_(new tinygltf::Model) {}
GltfScene::~GltfScene() { delete model_; }

bool GltfScene::Load(const std::string& path, std::string* error) {
    tinygltf::TinyGLTF loader;
    std::string warning;
    const bool binary = path.size() >= 4 && path.compare(path.size() - 4, 4, ".glb") == 0;
    const bool read = binary ? loader.LoadBinaryFromFile(model_, error, &warning, path)
                             : loader.LoadASCIIFromFile(model_, error, &warning, path);
    if (!read) return false;
    // The layout md5tool export writes, which is all this reads.
    bool ours = !model_->meshes.empty() && !model_->skins.empty();
    for (const tinygltf::Primitive& primitive : ours ? model_->meshes[0].primitives : std::vector<tinygltf::Primitive>()) {
        ours = ours && primitive.indices >= 0 &&
               model_->accessors[static_cast<size_t>(primitive.indices)].componentType ==
                   TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT &&
               primitive.attributes.count("POSITION") != 0 && primitive.attributes.count("NORMAL") != 0;
        for (const auto& [name, accessor] : primitive.attributes) {
            const int type = model_->accessors[static_cast<size_t>(accessor)].componentType;
            ours = ours && (name.rfind("JOINTS_", 0) == 0 ? type == TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT
                                                          : type == TINYGLTF_COMPONENT_TYPE_FLOAT);
        }
    }
    if (!ours) *error = "not laid out as md5tool export writes glTF (one skinned mesh, 32-bit indices, float attributes)";
    return ours;
}

int GltfScene::AnimationCount() const { return static_cast<int>(model_->animations.size()); }

int GltfScene::KeyCount(int animation) const {
    if (animation < 0 || animation >= AnimationCount()) return 0;
    return static_cast<int>(CountOf(*model_, model_->animations[static_cast<size_t>(animation)].samplers[0].input));
}

std::vector<GltfScene::Vertex> GltfScene::Skin(int animation, int key) const {
    const tinygltf::Model& model = *model_;
    std::vector<Matrix> local(model.nodes.size());
    std::vector<int> parent(model.nodes.size(), -1);
    for (size_t n = 0; n < model.nodes.size(); ++n) {
        const tinygltf::Node& node = model.nodes[n];
        std::vector<double> t = node.translation.empty() ? std::vector<double>{0, 0, 0} : node.translation;
        std::vector<double> r = node.rotation.empty() ? std::vector<double>{0, 0, 0, 1} : node.rotation;
        const std::vector<double> s = node.scale.empty() ? std::vector<double>{1, 1, 1} : node.scale;
        if (animation >= 0 && animation < AnimationCount()) {
            const tinygltf::Animation& clip = model.animations[static_cast<size_t>(animation)];
            for (const tinygltf::AnimationChannel& channel : clip.channels) {
                if (channel.target_node != static_cast<int>(n)) continue;
                const tinygltf::AnimationSampler& sampler = clip.samplers[static_cast<size_t>(channel.sampler)];
                const int size = channel.target_path == "rotation" ? 4 : 3;
                if (channel.target_path != "rotation" && channel.target_path != "translation") continue;
                const float* values = Data<float>(model, sampler.output);
                std::vector<double>& target = size == 4 ? r : t;
                for (int c = 0; c < size; ++c) target[static_cast<size_t>(c)] = values[size * key + c];
            }
        }
        local[n] = Compose(t, r, s);
        for (int child : node.children) parent[static_cast<size_t>(child)] = static_cast<int>(n);
    }
    const auto global = [&](int n) {
        Matrix m = local[static_cast<size_t>(n)];
        for (int p = parent[static_cast<size_t>(n)]; p >= 0; p = parent[static_cast<size_t>(p)]) {
            m = Multiply(local[static_cast<size_t>(p)], m);
        }
        return m;
    };
    const tinygltf::Skin& skin = model.skins[0];
    const float* inverseBinds = Data<float>(model, skin.inverseBindMatrices);
    std::vector<Matrix> joints;
    for (size_t j = 0; j < skin.joints.size(); ++j) {
        Matrix inverse;
        for (size_t e = 0; e < 16; ++e) inverse[e] = inverseBinds[16 * j + e];
        joints.push_back(Multiply(global(skin.joints[j]), inverse));
    }
    std::vector<Vertex> vertices;
    for (const tinygltf::Primitive& primitive : model.meshes[0].primitives) {
        const int position = primitive.attributes.at("POSITION");
        const float* positions = Data<float>(model, position);
        const float* normals = Data<float>(model, primitive.attributes.at("NORMAL"));
        const auto uv = primitive.attributes.find("TEXCOORD_0");
        const float* texCoords = uv != primitive.attributes.end() ? Data<float>(model, uv->second) : nullptr;
        for (size_t v = 0; v < CountOf(model, position); ++v) {
            Vertex out{{0, 0, 0}, {0, 0, 0}, {0, 0}};
            for (int set = 0; primitive.attributes.count("JOINTS_" + std::to_string(set)) != 0; ++set) {
                const uint16_t* ids = Data<uint16_t>(model, primitive.attributes.at("JOINTS_" + std::to_string(set)));
                const float* weights = Data<float>(model, primitive.attributes.at("WEIGHTS_" + std::to_string(set)));
                for (size_t k = 0; k < 4; ++k) {
                    const Matrix& m = joints[ids[4 * v + k]];
                    const double w = weights[4 * v + k];
                    for (size_t row = 0; row < 3; ++row) {
                        out.position[row] += w * (m[row] * positions[3 * v] + m[4 + row] * positions[3 * v + 1] +
                                                   m[8 + row] * positions[3 * v + 2] + m[12 + row]);
                        out.normal[row] += w * (m[row] * normals[3 * v] + m[4 + row] * normals[3 * v + 1] +
                                                m[8 + row] * normals[3 * v + 2]);
                    }
                }
            }
            if (texCoords != nullptr) out.texCoord = {texCoords[2 * v], texCoords[2 * v + 1]};
            vertices.push_back(out);
        }
    }
    return vertices;
}

std::vector<StreamTriangle> GltfScene::Draw(int animation, int key) const {
    const tinygltf::Model& model = *model_;
    const std::vector<Vertex> vertices = Skin(animation, key);
    std::vector<StreamTriangle> triangles;
    size_t first = 0;
    for (size_t p = 0; p < model.meshes[0].primitives.size(); ++p) {
        const tinygltf::Primitive& primitive = model.meshes[0].primitives[p];
        const uint32_t* indices = Data<uint32_t>(model, primitive.indices);
        for (size_t i = 0; i + 2 < CountOf(model, primitive.indices); i += 3) {
            StreamTriangle triangle;
            triangle.mesh = static_cast<int>(p);
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
        first += CountOf(model, primitive.attributes.at("POSITION"));
    }
    return triangles;
}

}  // namespace md5tool
