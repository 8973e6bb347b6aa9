#include "gltf_checked.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>

#include "tinygltf_settings.h"

namespace convert {

namespace {

struct Fault {
    std::string reason;
};

[[noreturn]] void Refuse(const std::string& reason) { throw Fault{reason}; }

std::string Named(const char* kind, size_t index) { return std::string(kind) + " " + std::to_string(index); }

bool InRange(int index, size_t count) { return index >= 0 && static_cast<size_t>(index) < count; }

size_t ComponentSize(int componentType) {
    switch (componentType) {
        case TINYGLTF_COMPONENT_TYPE_BYTE:
        case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE: return 1;
        case TINYGLTF_COMPONENT_TYPE_SHORT:
        case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT: return 2;
        case TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT:
        case TINYGLTF_COMPONENT_TYPE_FLOAT: return 4;
        default: return 0;
    }
}

// One component as a number: floats as they are, integers as integers or, where
// normalized, scaled to 0..1 (-1..1 for signed ones).
double Component(const unsigned char* at, int componentType, bool normalized) {
    switch (componentType) {
        case TINYGLTF_COMPONENT_TYPE_FLOAT: {
            float f;
            std::memcpy(&f, at, 4);
            return f;
        }
        case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE: return normalized ? at[0] / 255.0 : at[0];
        case TINYGLTF_COMPONENT_TYPE_BYTE: {
            const auto b = static_cast<int8_t>(at[0]);
            return normalized ? std::max(b / 127.0, -1.0) : b;
        }
        case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT: {
            uint16_t s;
            std::memcpy(&s, at, 2);
            return normalized ? s / 65535.0 : s;
        }
        case TINYGLTF_COMPONENT_TYPE_SHORT: {
            int16_t s;
            std::memcpy(&s, at, 2);
            return normalized ? std::max(s / 32767.0, -1.0) : s;
        }
        default: {
            uint32_t u;
            std::memcpy(&u, at, 4);
            return u;
        }
    }
}

// The accessors a use allows: its element type and component types, and whether
// integers must be normalized (a float quantity stored in integers) or must not be.
struct Expect {
    int type;
    std::vector<int> componentTypes;
    enum { kAny, kNormalized, kPlain } integers = kAny;
};

class Reader {
public:
    explicit Reader(const tinygltf::Model& model) : model_(model) {}

    // Accessor `index` decoded, `components` numbers an element, every byte read checked
    // to lie within its view and buffer.
    std::vector<double> Read(int index, const Expect& expect, const std::string& use) const {
        if (!InRange(index, model_.accessors.size())) Refuse(use + " names accessor " + std::to_string(index) + ", which does not exist");
        const tinygltf::Accessor& accessor = model_.accessors[static_cast<size_t>(index)];
        const std::string what = use + " (accessor " + std::to_string(index) + ")";
        if (accessor.sparse.isSparse) Refuse(what + " is sparse, which is not read");
        if (accessor.type != expect.type) Refuse(what + " has the wrong element type");
        if (std::find(expect.componentTypes.begin(), expect.componentTypes.end(), accessor.componentType) ==
            expect.componentTypes.end()) {
            Refuse(what + " has the wrong component type");
        }
        const bool integer = accessor.componentType != TINYGLTF_COMPONENT_TYPE_FLOAT;
        if (integer && expect.integers == Expect::kNormalized && !accessor.normalized) Refuse(what + " must be normalized");
        if (accessor.normalized && expect.integers == Expect::kPlain) Refuse(what + " must not be normalized");
        const size_t components = static_cast<size_t>(tinygltf::GetNumComponentsInType(static_cast<uint32_t>(accessor.type)));
        const size_t componentSize = ComponentSize(accessor.componentType);
        const size_t elementSize = components * componentSize;
        if (!InRange(accessor.bufferView, model_.bufferViews.size())) Refuse(what + " has no buffer view in range");
        const tinygltf::BufferView& view = model_.bufferViews[static_cast<size_t>(accessor.bufferView)];
        if (!InRange(view.buffer, model_.buffers.size())) Refuse(what + ": its view names no buffer in range");
        const std::vector<unsigned char>& data = model_.buffers[static_cast<size_t>(view.buffer)].data;
        if (view.byteOffset > data.size() || view.byteLength > data.size() - view.byteOffset) {
            Refuse(what + ": its view runs past its buffer");
        }
        const size_t stride = view.byteStride != 0 ? view.byteStride : elementSize;
        if (stride < elementSize) Refuse(what + ": its view's byteStride is shorter than an element");
        std::vector<double> out;
        if (accessor.count == 0) return out;
        if (accessor.byteOffset > view.byteLength || view.byteLength - accessor.byteOffset < elementSize ||
            accessor.count - 1 > (view.byteLength - accessor.byteOffset - elementSize) / stride) {
            Refuse(what + ": " + std::to_string(accessor.count) + " elements from byte " +
                   std::to_string(accessor.byteOffset) + " run past its view");
        }
        const unsigned char* first = data.data() + view.byteOffset + accessor.byteOffset;
        out.reserve(accessor.count * components);
        for (size_t e = 0; e < accessor.count; ++e) {
            for (size_t c = 0; c < components; ++c) {
                const double value = Component(first + e * stride + c * componentSize, accessor.componentType,
                                               accessor.normalized);
                if (!std::isfinite(value)) Refuse(what + " holds a number that is not finite");
                out.push_back(value);
            }
        }
        return out;
    }

private:
    const tinygltf::Model& model_;
};

const Expect kVec3Floats{TINYGLTF_TYPE_VEC3, {TINYGLTF_COMPONENT_TYPE_FLOAT}};
const Expect kTexCoords{TINYGLTF_TYPE_VEC2,
                        {TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE,
                         TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT},
                        Expect::kNormalized};
const Expect kJoints{TINYGLTF_TYPE_VEC4,
                     {TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE, TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT},
                     Expect::kPlain};
const Expect kWeights{TINYGLTF_TYPE_VEC4,
                      {TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE,
                       TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT},
                      Expect::kNormalized};
const Expect kIndices{TINYGLTF_TYPE_SCALAR,
                      {TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE, TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT,
                       TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT},
                      Expect::kPlain};
const Expect kTimes{TINYGLTF_TYPE_SCALAR, {TINYGLTF_COMPONENT_TYPE_FLOAT}};
const Expect kRotations{TINYGLTF_TYPE_VEC4,
                        {TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_COMPONENT_TYPE_BYTE,
                         TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE, TINYGLTF_COMPONENT_TYPE_SHORT,
                         TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT},
                        Expect::kNormalized};
const Expect kMatrices{TINYGLTF_TYPE_MAT4, {TINYGLTF_COMPONENT_TYPE_FLOAT}};

template <size_t N>
std::vector<std::array<float, N>> Group(const std::vector<double>& values) {
    std::vector<std::array<float, N>> out(values.size() / N);
    for (size_t i = 0; i < out.size(); ++i) {
        for (size_t k = 0; k < N; ++k) out[i][k] = static_cast<float>(values[N * i + k]);
    }
    return out;
}

void CheckNodes(const tinygltf::Model& model, CheckedGltf& checked) {
    const size_t count = model.nodes.size();
    checked.nodes.resize(count);
    for (size_t n = 0; n < count; ++n) {
        const tinygltf::Node& node = model.nodes[n];
        CheckedNode& out = checked.nodes[n];
        out.name = node.name;
        const auto take = [&](const std::vector<double>& given, double* into, size_t size, const char* what) {
            if (given.empty()) return;
            if (given.size() != size) Refuse(Named("node", n) + "'s " + what + " has " + std::to_string(given.size()) + " numbers, not " + std::to_string(size));
            for (size_t k = 0; k < size; ++k) {
                if (!std::isfinite(given[k])) Refuse(Named("node", n) + "'s " + what + " is not finite");
                into[k] = given[k];
            }
        };
        take(node.translation, out.translation.data(), 3, "translation");
        take(node.rotation, out.rotation.data(), 4, "rotation");
        take(node.scale, out.scale.data(), 3, "scale");
        take(node.matrix, out.matrix.data(), 16, "matrix");
        out.hasMatrix = !node.matrix.empty();
        if (node.extras.IsObject() && node.extras.Has("md5scale") && node.extras.Get("md5scale").IsObject()) {
            const tinygltf::Value& positions = node.extras.Get("md5scale").Get("scale_positions");
            out.md5ScalePositions = positions.IsBool() && positions.Get<bool>() ? 1 : 0;
        }
        if (node.mesh != -1 && !InRange(node.mesh, model.meshes.size())) Refuse(Named("node", n) + " names no mesh in range");
        if (node.skin != -1 && !InRange(node.skin, model.skins.size())) Refuse(Named("node", n) + " names no skin in range");
        out.mesh = node.mesh;
        out.skin = node.skin;
        for (int child : node.children) {
            if (!InRange(child, count)) Refuse(Named("node", n) + " has child " + std::to_string(child) + ", which does not exist");
            CheckedNode& c = checked.nodes[static_cast<size_t>(child)];
            if (c.parent != -1 || child == static_cast<int>(n)) {
                Refuse("node " + std::to_string(child) + " is the child of more than one node, or of itself");
            }
            c.parent = static_cast<int>(n);
            out.children.push_back(child);
        }
    }
    // Parents before children, walked from the roots without recursion; a node not
    // reached lies on a cycle.
    for (size_t n = 0; n < count; ++n) {
        if (checked.nodes[n].parent == -1) checked.order.push_back(static_cast<int>(n));
    }
    for (size_t i = 0; i < checked.order.size(); ++i) {
        for (int child : checked.nodes[static_cast<size_t>(checked.order[i])].children) checked.order.push_back(child);
    }
    if (checked.order.size() != count) Refuse("the nodes' children form a cycle");
}

// Strips and fans as lists; every index below the vertex count.
std::vector<uint32_t> TriangleList(const std::vector<double>& given, int mode, size_t vertices, const std::string& what) {
    std::vector<uint32_t> indices(given.size());
    for (size_t i = 0; i < given.size(); ++i) {
        if (given[i] >= static_cast<double>(vertices)) {
            Refuse(what + ": index " + std::to_string(static_cast<uint64_t>(given[i])) + " is not below its " +
                   std::to_string(vertices) + " vertices");
        }
        indices[i] = static_cast<uint32_t>(given[i]);
    }
    if (mode == TINYGLTF_MODE_TRIANGLES) {
        indices.resize(indices.size() - indices.size() % 3);
        return indices;
    }
    std::vector<uint32_t> list;
    for (size_t i = 0; i + 2 < indices.size(); ++i) {
        if (mode == TINYGLTF_MODE_TRIANGLE_STRIP) {
            const bool odd = i % 2 != 0;
            list.insert(list.end(), {indices[odd ? i + 1 : i], indices[odd ? i : i + 1], indices[i + 2]});
        } else {
            list.insert(list.end(), {indices[0], indices[i + 1], indices[i + 2]});
        }
    }
    return list;
}

// The accessor of a primitive's attribute, or -2 when it has none of that name.
int AttributeOf(const tinygltf::Primitive& primitive, const std::string& name) {
    const auto found = primitive.attributes.find(name);
    return found == primitive.attributes.end() ? -2 : found->second;
}

void SameCount(size_t count, size_t vertices, const std::string& what, const std::string& name) {
    if (count != vertices) Refuse(what + "'s " + name + " has " + std::to_string(count) + " elements for " + std::to_string(vertices) + " vertices");
}

// How many JOINTS_n and WEIGHTS_n pairs a primitive has: they come in pairs, numbered from 0.
int InfluenceSets(const tinygltf::Primitive& primitive, const std::string& what) {
    int sets = 0;
    for (const auto& [name, accessor] : primitive.attributes) {
        for (const char* prefix : {"JOINTS_", "WEIGHTS_"}) {
            const size_t length = std::strlen(prefix);
            if (name.compare(0, length, prefix) != 0) continue;
            const std::string number = name.substr(length);
            if (number.empty() || number.size() > 2 || number.find_first_not_of("0123456789") != std::string::npos) {
                Refuse(what + " has an attribute " + name);
            }
            sets = std::max(sets, std::stoi(number) + 1);
        }
    }
    for (int set = 0; set < sets; ++set) {
        const std::string joints = "JOINTS_" + std::to_string(set), weights = "WEIGHTS_" + std::to_string(set);
        if (AttributeOf(primitive, joints) == -2 || AttributeOf(primitive, weights) == -2) {
            Refuse(what + " has " + (AttributeOf(primitive, joints) == -2 ? "no " + joints : "no " + weights) +
                   " beside its other " + "JOINTS_n and WEIGHTS_n");
        }
    }
    return sets;
}

// Every vertex's joints and weights, four a set, the sets of a vertex side by side.
void ReadInfluences(const Reader& reader, const tinygltf::Primitive& primitive, const std::string& what,
                    CheckedPrimitive& out) {
    const size_t vertices = out.positions.size();
    const int sets = out.influenceSets = InfluenceSets(primitive, what);
    out.joints.resize(vertices * 4 * static_cast<size_t>(sets));
    out.weights.resize(out.joints.size());
    for (int set = 0; set < sets; ++set) {
        const std::string joints = "JOINTS_" + std::to_string(set), weights = "WEIGHTS_" + std::to_string(set);
        const std::vector<double> ids = reader.Read(AttributeOf(primitive, joints), kJoints, what + "'s " + joints);
        const std::vector<double> amounts = reader.Read(AttributeOf(primitive, weights), kWeights, what + "'s " + weights);
        SameCount(ids.size() / 4, vertices, what, joints);
        SameCount(amounts.size() / 4, vertices, what, weights);
        for (size_t v = 0; v < vertices; ++v) {
            for (size_t k = 0; k < 4; ++k) {
                const size_t at = (v * static_cast<size_t>(sets) + static_cast<size_t>(set)) * 4 + k;
                out.joints[at] = static_cast<uint16_t>(ids[4 * v + k]);
                out.weights[at] = static_cast<float>(amounts[4 * v + k]);
            }
        }
    }
}

CheckedPrimitive CheckPrimitive(const Reader& reader, const tinygltf::Model& model, const tinygltf::Primitive& primitive,
                                const std::string& what) {
    CheckedPrimitive out;
    if (primitive.material != -1 && !InRange(primitive.material, model.materials.size())) {
        Refuse(what + " names no material in range");
    }
    out.material = primitive.material;
    if (AttributeOf(primitive, "POSITION") == -2) Refuse(what + " has no POSITION");
    out.positions = Group<3>(reader.Read(AttributeOf(primitive, "POSITION"), kVec3Floats, what + "'s POSITION"));
    const size_t vertices = out.positions.size();
    if (AttributeOf(primitive, "NORMAL") != -2) {
        out.normals = Group<3>(reader.Read(AttributeOf(primitive, "NORMAL"), kVec3Floats, what + "'s NORMAL"));
        SameCount(out.normals.size(), vertices, what, "NORMAL");
    }
    if (AttributeOf(primitive, "TEXCOORD_0") != -2) {
        out.texCoords = Group<2>(reader.Read(AttributeOf(primitive, "TEXCOORD_0"), kTexCoords, what + "'s TEXCOORD_0"));
        SameCount(out.texCoords.size(), vertices, what, "TEXCOORD_0");
    }
    ReadInfluences(reader, primitive, what, out);
    const int mode = primitive.mode == -1 ? TINYGLTF_MODE_TRIANGLES : primitive.mode;
    std::vector<double> given;
    if (primitive.indices != -1) {
        given = reader.Read(primitive.indices, kIndices, what + "'s indices");
    } else {
        for (size_t v = 0; v < vertices; ++v) given.push_back(static_cast<double>(v));
    }
    out.indices = TriangleList(given, mode, vertices, what);
    out.morphTargets = static_cast<int>(primitive.targets.size());
    return out;
}

void CheckMeshes(const Reader& reader, const tinygltf::Model& model, CheckedGltf& checked) {
    for (size_t m = 0; m < model.meshes.size(); ++m) {
        CheckedMesh mesh;
        mesh.name = model.meshes[m].name;
        for (size_t p = 0; p < model.meshes[m].primitives.size(); ++p) {
            const tinygltf::Primitive& primitive = model.meshes[m].primitives[p];
            const int mode = primitive.mode == -1 ? TINYGLTF_MODE_TRIANGLES : primitive.mode;
            if (mode != TINYGLTF_MODE_TRIANGLES && mode != TINYGLTF_MODE_TRIANGLE_STRIP && mode != TINYGLTF_MODE_TRIANGLE_FAN) {
                ++mesh.otherPrimitives;
                continue;
            }
            mesh.primitives.push_back(
                CheckPrimitive(reader, model, primitive, "mesh " + std::to_string(m) + " primitive " + std::to_string(p)));
        }
        checked.meshes.push_back(std::move(mesh));
    }
}

void CheckSkins(const Reader& reader, const tinygltf::Model& model, CheckedGltf& checked) {
    for (size_t s = 0; s < model.skins.size(); ++s) {
        const tinygltf::Skin& skin = model.skins[s];
        CheckedSkin out;
        out.name = skin.name;
        if (skin.joints.empty()) Refuse(Named("skin", s) + " has no joints");
        for (int joint : skin.joints) {
            if (!InRange(joint, model.nodes.size())) Refuse(Named("skin", s) + " names joint node " + std::to_string(joint) + ", which does not exist");
            out.joints.push_back(joint);
        }
        GltfMatrix identity{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
        out.inverseBinds.assign(out.joints.size(), identity);
        if (skin.inverseBindMatrices != -1) {
            const std::vector<double> matrices = reader.Read(skin.inverseBindMatrices, kMatrices, Named("skin", s) + "'s inverse bind matrices");
            if (matrices.size() / 16 < out.joints.size()) {
                Refuse(Named("skin", s) + " has " + std::to_string(matrices.size() / 16) + " inverse bind matrices for " +
                       std::to_string(out.joints.size()) + " joints");
            }
            for (size_t j = 0; j < out.joints.size(); ++j) std::copy_n(matrices.begin() + static_cast<long>(16 * j), 16, out.inverseBinds[j].begin());
        }
        checked.skins.push_back(std::move(out));
    }
    // Every joint number of a skinned mesh names a joint of each skin it is drawn with.
    for (size_t n = 0; n < checked.nodes.size(); ++n) {
        const CheckedNode& node = checked.nodes[n];
        if (node.mesh < 0 || node.skin < 0) continue;
        const size_t joints = checked.skins[static_cast<size_t>(node.skin)].joints.size();
        for (const CheckedPrimitive& primitive : checked.meshes[static_cast<size_t>(node.mesh)].primitives) {
            for (uint16_t joint : primitive.joints) {
                if (joint >= joints) {
                    Refuse("mesh " + std::to_string(node.mesh) + " names joint " + std::to_string(joint) + " of skin " +
                           std::to_string(node.skin) + ", which has " + std::to_string(joints));
                }
            }
        }
    }
}

void CheckMaterials(const tinygltf::Model& model, CheckedGltf& checked) {
    for (const tinygltf::Material& material : model.materials) {
        CheckedMaterial out;
        out.name = material.name;
        const int texture = material.pbrMetallicRoughness.baseColorTexture.index;
        if (InRange(texture, model.textures.size())) {
            const int image = model.textures[static_cast<size_t>(texture)].source;
            if (InRange(image, model.images.size())) {
                const tinygltf::Image& entry = model.images[static_cast<size_t>(image)];
                out.baseColorImage = entry.uri.rfind("data:", 0) == 0 ? entry.name : entry.uri;
            }
        }
        checked.materials.push_back(out);
    }
}

void CheckAnimations(const Reader& reader, const tinygltf::Model& model, CheckedGltf& checked) {
    for (size_t a = 0; a < model.animations.size(); ++a) {
        const tinygltf::Animation& animation = model.animations[a];
        CheckedAnimation out;
        out.name = animation.name;
        for (size_t c = 0; c < animation.channels.size(); ++c) {
            const tinygltf::AnimationChannel& channel = animation.channels[c];
            const std::string what = Named("animation", a) + " channel " + std::to_string(c);
            if (channel.target_path == "weights" || channel.target_node == -1) continue;  // morph weights, extensions
            CheckedChannel in;
            if (channel.target_path == "translation") {
                in.path = ChannelPath::kTranslation;
            } else if (channel.target_path == "rotation") {
                in.path = ChannelPath::kRotation;
            } else if (channel.target_path == "scale") {
                in.path = ChannelPath::kScale;
            } else {
                Refuse(what + " drives \"" + channel.target_path + "\"");
            }
            if (!InRange(channel.target_node, checked.nodes.size())) Refuse(what + " names no node in range");
            if (checked.nodes[static_cast<size_t>(channel.target_node)].hasMatrix) Refuse(what + " drives a node given as a matrix");
            in.node = channel.target_node;
            if (!InRange(channel.sampler, animation.samplers.size())) Refuse(what + " names no sampler in range");
            const tinygltf::AnimationSampler& sampler = animation.samplers[static_cast<size_t>(channel.sampler)];
            if (sampler.interpolation == "STEP") {
                in.interpolation = Interpolation::kStep;
            } else if (sampler.interpolation == "CUBICSPLINE") {
                in.interpolation = Interpolation::kCubicSpline;
            } else if (sampler.interpolation.empty() || sampler.interpolation == "LINEAR") {
                in.interpolation = Interpolation::kLinear;
            } else {
                Refuse(what + " interpolates by \"" + sampler.interpolation + "\"");
            }
            const std::vector<double> times = reader.Read(sampler.input, kTimes, what + "'s key times");
            in.width = in.path == ChannelPath::kRotation ? 4 : 3;
            const std::vector<double> values =
                reader.Read(sampler.output, in.path == ChannelPath::kRotation ? kRotations : kVec3Floats, what + "'s values");
            const size_t perTime = in.interpolation == Interpolation::kCubicSpline ? 3 : 1;
            if (times.empty()) Refuse(what + " has no keys");
            if (values.size() != times.size() * perTime * static_cast<size_t>(in.width)) {
                Refuse(what + " has " + std::to_string(times.size()) + " key times and " +
                       std::to_string(values.size() / static_cast<size_t>(in.width)) + " values");
            }
            for (size_t k = 1; k < times.size(); ++k) {
                if (times[k] < times[k - 1]) Refuse(what + "'s key times go backwards");
            }
            in.times.assign(times.begin(), times.end());
            in.values.assign(values.begin(), values.end());
            out.channels.push_back(std::move(in));
        }
        checked.animations.push_back(std::move(out));
    }
}

}  // namespace

bool CheckGltf(const tinygltf::Model& model, CheckedGltf* checked, std::string* error) {
    *checked = CheckedGltf();
    try {
        const Reader reader(model);
        CheckMaterials(model, *checked);
        CheckNodes(model, *checked);
        CheckMeshes(reader, model, *checked);
        CheckSkins(reader, model, *checked);
        CheckAnimations(reader, model, *checked);
    } catch (const Fault& fault) {
        *error = fault.reason;
        *checked = CheckedGltf();
        return false;
    }
    return true;
}

std::array<double, 4> SampleChannel(const CheckedChannel& channel, double time) {
    const size_t width = static_cast<size_t>(channel.width);
    const bool cubic = channel.interpolation == Interpolation::kCubicSpline;
    // Key k's value: for cubic splines the middle of its in-tangent, value, out-tangent.
    const auto value = [&](size_t k, size_t part) {
        std::array<double, 4> v{0, 0, 0, 0};
        const size_t at = cubic ? (3 * k + part) * width : k * width;
        for (size_t c = 0; c < width; ++c) v[c] = channel.values[at + c];
        return v;
    };
    const std::vector<float>& times = channel.times;
    const size_t last = times.size() - 1;
    if (time <= times[0]) return value(0, 1);
    if (time >= times[last]) return value(last, 1);
    const size_t next = static_cast<size_t>(std::upper_bound(times.begin(), times.end(), time) - times.begin());
    const size_t k = next - 1;
    const double span = static_cast<double>(times[next]) - times[k];
    const double t = span > 0 ? (time - times[k]) / span : 0;
    std::array<double, 4> out{0, 0, 0, 0};
    if (channel.interpolation == Interpolation::kStep) return value(k, 1);
    if (cubic) {
        const double t2 = t * t, t3 = t2 * t;
        const auto p0 = value(k, 1), m0 = value(k, 2), p1 = value(next, 1), m1 = value(next, 0);
        for (size_t c = 0; c < width; ++c) {
            out[c] = (2 * t3 - 3 * t2 + 1) * p0[c] + (t3 - 2 * t2 + t) * span * m0[c] + (-2 * t3 + 3 * t2) * p1[c] +
                     (t3 - t2) * span * m1[c];
        }
    } else if (channel.path != ChannelPath::kRotation) {
        const auto a = value(k, 1), b = value(next, 1);
        for (size_t c = 0; c < width; ++c) out[c] = a[c] + (b[c] - a[c]) * t;
        return out;
    } else {
        // Spherical, along the shorter arc.
        auto a = value(k, 1), b = value(next, 1);
        double dot = a[0] * b[0] + a[1] * b[1] + a[2] * b[2] + a[3] * b[3];
        if (dot < 0) {
            for (double& x : b) x = -x;
            dot = -dot;
        }
        double wa = 1 - t, wb = t;
        if (dot < 0.9995) {
            const double angle = std::acos(std::min(dot, 1.0));
            wa = std::sin((1 - t) * angle) / std::sin(angle);
            wb = std::sin(t * angle) / std::sin(angle);
        }
        for (size_t c = 0; c < 4; ++c) out[c] = wa * a[c] + wb * b[c];
    }
    if (channel.path == ChannelPath::kRotation) {
        const double length = std::sqrt(out[0] * out[0] + out[1] * out[1] + out[2] * out[2] + out[3] * out[3]);
        if (length > 0) {
            for (double& x : out) x /= length;
        }
    }
    return out;
}

std::vector<GltfMatrix> NodeGlobals(const CheckedGltf& gltf, const CheckedAnimation* animation, double time) {
    std::vector<CheckedNode> nodes = gltf.nodes;
    for (const CheckedChannel& channel : animation != nullptr ? animation->channels : std::vector<CheckedChannel>()) {
        const std::array<double, 4> value = SampleChannel(channel, time);
        CheckedNode& node = nodes[static_cast<size_t>(channel.node)];
        if (channel.path == ChannelPath::kRotation) {
            node.rotation = value;
        } else {
            std::copy_n(value.begin(), 3, channel.path == ChannelPath::kTranslation ? node.translation.begin()
                                                                                     : node.scale.begin());
        }
    }
    std::vector<GltfMatrix> global(nodes.size());
    for (int n : gltf.order) {
        const CheckedNode& node = nodes[static_cast<size_t>(n)];
        const GltfMatrix local = LocalTransform(node);
        global[static_cast<size_t>(n)] = node.parent < 0 ? local : Multiply(global[static_cast<size_t>(node.parent)], local);
    }
    return global;
}

GltfMatrix LocalTransform(const CheckedNode& node) {
    if (node.hasMatrix) return node.matrix;
    const auto& t = node.translation;
    const auto& s = node.scale;
    const double x = node.rotation[0], y = node.rotation[1], z = node.rotation[2], w = node.rotation[3];
    GltfMatrix m{1 - 2 * (y * y + z * z), 2 * (x * y + w * z), 2 * (x * z - w * y), 0,
                 2 * (x * y - w * z), 1 - 2 * (x * x + z * z), 2 * (y * z + w * x), 0,
                 2 * (x * z + w * y), 2 * (y * z - w * x), 1 - 2 * (x * x + y * y), 0,
                 t[0], t[1], t[2], 1};
    for (size_t c = 0; c < 3; ++c) {
        for (size_t row = 0; row < 3; ++row) m[4 * c + row] *= s[c];
    }
    return m;
}

GltfMatrix Multiply(const GltfMatrix& a, const GltfMatrix& b) {
    GltfMatrix r{};
    for (size_t c = 0; c < 4; ++c) {
        for (size_t row = 0; row < 4; ++row) {
            for (size_t k = 0; k < 4; ++k) r[4 * c + row] += a[4 * k + row] * b[4 * c + k];
        }
    }
    return r;
}

}  // namespace convert
