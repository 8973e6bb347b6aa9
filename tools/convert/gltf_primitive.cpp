#include "gltf_primitive.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

namespace convert {

namespace {

using VertexWeightList = std::vector<std::pair<int, float>>;

// One vertex's weights: by joint (a joint named twice gets the sum), the `most` largest,
// summing to one.
VertexWeightList VertexWeights(const brmath::Mesh& mesh, const brmath::MeshVertex& vertex, int most,
                               ExportCounts& counts) {
    std::map<int, double> byJoint;
    double sum = 0;
    for (int k = 0; k < vertex.weightCount; ++k) {
        const brmath::MeshWeight& weight = mesh.weights[vertex.weightStart + k];
        byJoint[weight.joint] += weight.bias;
        sum += weight.bias;
    }
    if (std::fabs(sum - 1.0) > 1e-3) ++counts.unnormalisedVertices;
    if (static_cast<int>(byJoint.size()) < vertex.weightCount) ++counts.repeatedJoints;
    std::vector<std::pair<int, double>> sorted(byJoint.begin(), byJoint.end());
    std::stable_sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) { return a.second > b.second; });
    if (sorted.size() > static_cast<size_t>(most)) {
        ++counts.trimmedVertices;
        sorted.resize(static_cast<size_t>(most));
    }
    double kept = 0;
    for (const auto& entry : sorted) kept += entry.second > 0 ? entry.second : 0;
    VertexWeightList weights;
    for (const auto& entry : sorted) {
        if (entry.second > 0 && kept > 0) weights.emplace_back(entry.first, static_cast<float>(entry.second / kept));
    }
    if (weights.empty()) weights.emplace_back(sorted.empty() ? 0 : sorted[0].first, 1.0f);
    if (weights.size() > 4) ++counts.overFourWeights;
    return weights;
}

// How far apart a vertex's weights place it in the bind pose: the largest distance of
// one weight's point from the vertex the library skinned. A glTF skin, with one bind
// position a vertex, can follow only weights that agree.
double WeightDisagreement(const brmath::Mesh& mesh, const brmath::MeshVertex& vertex,
                          const std::vector<brmath::Matrix4>& bind) {
    double largest = 0;
    for (int k = 0; k < vertex.weightCount; ++k) {
        const brmath::MeshWeight& weight = mesh.weights[vertex.weightStart + k];
        const Affine joint = FromMatrix(bind[static_cast<size_t>(weight.joint)]);
        const double p[3] = {weight.position.x, weight.position.y, weight.position.z};
        const double q[3] = {vertex.position.x, vertex.position.y, vertex.position.z};
        double distance = 0;
        for (int r = 0; r < 3; ++r) {
            const double at = joint.m[r][0] * p[0] + joint.m[r][1] * p[1] + joint.m[r][2] * p[2] + joint.t[r];
            distance += (at - q[r]) * (at - q[r]);
        }
        largest = std::max(largest, std::sqrt(distance));
    }
    return largest;
}

struct VertexArrays {
    std::vector<float> positions, normals, texCoords, tangents;
    bool gameMaps = false;
    std::vector<VertexWeightList> weights;
    size_t widest = 0;
};

// glTF's tangent: the way s rises (the library's tangent points where it falls), and in
// w the side the way up the image lies on, which is where t falls (its bitangent
// points where t rises), so that glTF's green, turned over, is the game's.
void AddTangent(const brmath::MeshVertex& vertex, const GltfSpace& space, std::vector<float>& tangents) {
    const brmath::Vector3 &t = vertex.tangent, &b = vertex.bitangent, &n = vertex.normal;
    const double s[3] = {-double(t.x), -double(t.y), -double(t.z)};
    const double length = std::sqrt(s[0] * s[0] + s[1] * s[1] + s[2] * s[2]);
    const double up[3] = {-double(b.x), -double(b.y), -double(b.z)};
    const double side = (double(n.y) * s[2] - double(n.z) * s[1]) * up[0] + (double(n.z) * s[0] - double(n.x) * s[2]) * up[1] +
                        (double(n.x) * s[1] - double(n.y) * s[0]) * up[2];
    if (!std::isfinite(length) || length < 1e-6 || !std::isfinite(side)) {
        // A vertex no triangle uses, or of a triangle without texture area: any frame will do.
        tangents.insert(tangents.end(), {1.0f, 0.0f, 0.0f, 1.0f});
        return;
    }
    for (double c : space.Direction(s[0] / length, s[1] / length, s[2] / length)) tangents.push_back(static_cast<float>(c));
    tangents.push_back(side < 0 ? -1.0f : 1.0f);
}

void AddVertex(const brmath::Mesh& mesh, int v, bool used, const SkinningRule& rule, const GltfSpace& space,
               VertexArrays& arrays, ExportCounts& counts) {
    const brmath::MeshVertex& vertex = mesh.vertices[v];
    for (double c : space.Point(vertex.position.x, vertex.position.y, vertex.position.z)) {
        arrays.positions.push_back(static_cast<float>(c));
    }
    const brmath::Vector3& n = vertex.normal;
    const double length = std::sqrt(double(n.x) * n.x + double(n.y) * n.y + double(n.z) * n.z);
    if (std::isfinite(length) && std::fabs(length - 1.0) < 5e-4) {
        for (double c : space.Direction(n.x, n.y, n.z)) arrays.normals.push_back(static_cast<float>(c));
    } else {
        // A vertex no triangle uses, or a degenerate one: any unit vector will do.
        ++(used ? counts.replacedNormals : counts.unusedVertices);
        arrays.normals.insert(arrays.normals.end(), {0.0f, 1.0f, 0.0f});
    }
    if (arrays.gameMaps) {
        arrays.texCoords.insert(arrays.texCoords.end(), {vertex.texCoord.x, -vertex.texCoord.y});
        AddTangent(vertex, space, arrays.tangents);
    } else {
        // The file's v counts from the other edge than glTF's.
        arrays.texCoords.insert(arrays.texCoords.end(), {vertex.texCoord.x, 1.0f + vertex.texCoord.y});
    }
    if (rule.bind == nullptr) return;
    arrays.weights.push_back(VertexWeights(mesh, vertex, rule.maxWeights, counts));
    if (rule.jointSlots != nullptr) {
        for (auto& weight : arrays.weights.back()) weight.first = (*rule.jointSlots)[static_cast<size_t>(weight.first)];
    }
    arrays.widest = std::max(arrays.widest, arrays.weights.back().size());
    const double apart = WeightDisagreement(mesh, vertex, *rule.bind);
    if (apart > rule.tolerance) ++counts.disagreeingVertices;
    counts.largestDisagreement = std::max(counts.largestDisagreement, apart);
}

// JOINTS_n and WEIGHTS_n, four weights a set.
void AddWeightSets(const VertexArrays& arrays, BufferWriter& buffer, tinygltf::Primitive& primitive) {
    for (int set = 0; set * 4 < static_cast<int>(arrays.widest); ++set) {
        std::vector<uint16_t> joints;
        std::vector<float> amounts;
        for (const auto& vertex : arrays.weights) {
            for (int slot = 4 * set; slot < 4 * set + 4; ++slot) {
                const bool used = slot < static_cast<int>(vertex.size());
                joints.push_back(used ? static_cast<uint16_t>(vertex[static_cast<size_t>(slot)].first) : 0);
                amounts.push_back(used ? vertex[static_cast<size_t>(slot)].second : 0.0f);
            }
        }
        const std::string suffix = "_" + std::to_string(set);
        primitive.attributes["JOINTS" + suffix] = buffer.Add(joints, TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT,
                                                             TINYGLTF_TYPE_VEC4, 4, TINYGLTF_TARGET_ARRAY_BUFFER);
        primitive.attributes["WEIGHTS" + suffix] =
            buffer.Add(amounts, TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC4, 4, TINYGLTF_TARGET_ARRAY_BUFFER);
    }
}

// MD5's triangles wind clockwise about their normals; the turn to glTF's axes keeps
// that, so each triangle's last two corners change places.
std::vector<uint32_t> GltfIndices(const brmath::Mesh& mesh) {
    std::vector<uint32_t> indices;
    for (int t = 0; t < mesh.triangleCount; ++t) {
        const int32_t* corners = mesh.triangles[t].indices;
        indices.insert(indices.end(), {static_cast<uint32_t>(corners[0]), static_cast<uint32_t>(corners[2]),
                                       static_cast<uint32_t>(corners[1])});
    }
    return indices;
}

}  // namespace

tinygltf::Primitive MakePrimitive(const brmath::Mesh& mesh, const SkinningRule& rule, const GltfSpace& space,
                                  BufferWriter& buffer, ExportCounts& counts, bool gameMaps) {
    std::vector<bool> used(static_cast<size_t>(mesh.vertexCount), false);
    for (int t = 0; t < mesh.triangleCount; ++t) {
        for (const int32_t corner : mesh.triangles[t].indices) used[static_cast<size_t>(corner)] = true;
    }
    VertexArrays arrays;
    arrays.gameMaps = gameMaps;
    for (int v = 0; v < mesh.vertexCount; ++v) AddVertex(mesh, v, used[static_cast<size_t>(v)], rule, space, arrays, counts);
    tinygltf::Primitive primitive;
    primitive.mode = TINYGLTF_MODE_TRIANGLES;
    primitive.attributes["POSITION"] = buffer.Add(arrays.positions, TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC3,
                                                  3, TINYGLTF_TARGET_ARRAY_BUFFER, true);
    primitive.attributes["NORMAL"] =
        buffer.Add(arrays.normals, TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC3, 3, TINYGLTF_TARGET_ARRAY_BUFFER);
    primitive.attributes["TEXCOORD_0"] = buffer.Add(arrays.texCoords, TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC2,
                                                    2, TINYGLTF_TARGET_ARRAY_BUFFER);
    if (gameMaps) {
        primitive.attributes["TANGENT"] = buffer.Add(arrays.tangents, TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC4, 4,
                                                     TINYGLTF_TARGET_ARRAY_BUFFER);
    }
    AddWeightSets(arrays, buffer, primitive);
    primitive.indices = buffer.Add(GltfIndices(mesh), TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT, TINYGLTF_TYPE_SCALAR, 1,
                                   TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER);
    return primitive;
}

tinygltf::Material MakeMaterial(const std::string& shader) {
    tinygltf::Material material;
    material.name = shader;
    material.pbrMetallicRoughness.baseColorFactor = {0.8, 0.8, 0.8, 1.0};
    material.pbrMetallicRoughness.metallicFactor = 0.0;
    material.pbrMetallicRoughness.roughnessFactor = 0.6;
    return material;
}

}  // namespace convert
