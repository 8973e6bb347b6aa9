// md5tool export: a model and its clips as glTF 2.0, through tinygltf.
#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <vector>

#define TINYGLTF_NO_STB_IMAGE
#define TINYGLTF_NO_STB_IMAGE_WRITE
#define TINYGLTF_NO_EXTERNAL_IMAGE
#define TINYGLTF_NO_INCLUDE_JSON
#include <tiny_gltf.h>

#include "brmath/version.h"
#include "commands.h"
#include "gltf_space.h"
#include "md5/mesh_reader.h"
#include "model_loading.h"
#include "output_file.h"
#include "utf8_text.h"

namespace md5tool {

namespace {

constexpr int kMaxWeights = 8;

// A file name as a relative URI: every byte but the unreserved ones percent-encoded.
std::string UriOf(const std::string& name) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string uri;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isalnum(byte) || c == '-' || c == '.' || c == '_' || c == '~') {
            uri += c;
        } else {
            uri += {'%', kHex[byte >> 4], kHex[byte & 15]};
        }
    }
    return uri;
}

// The buffer and its views and accessors, appended to as the model is built.
class BufferWriter {
public:
    explicit BufferWriter(tinygltf::Model& model) : model_(model) { model_.buffers.emplace_back(); }

    // Appends values as one view and one accessor; min and max are set for `bounded`.
    template <typename T>
    int Add(const std::vector<T>& values, int componentType, int type, int components, int target,
            bool bounded = false) {
        std::vector<unsigned char>& data = model_.buffers[0].data;
        while (data.size() % 4 != 0) data.push_back(0);
        tinygltf::BufferView view;
        view.buffer = 0;
        view.byteOffset = data.size();
        view.byteLength = values.size() * sizeof(T);
        view.target = target;  // 0: no target (animation data, inverse bind matrices)
        const auto* bytes = reinterpret_cast<const unsigned char*>(values.data());
        data.insert(data.end(), bytes, bytes + view.byteLength);
        model_.bufferViews.push_back(view);
        tinygltf::Accessor accessor;
        accessor.bufferView = static_cast<int>(model_.bufferViews.size()) - 1;
        accessor.componentType = componentType;
        accessor.type = type;
        accessor.count = values.size() / static_cast<size_t>(components);
        if (bounded && accessor.count > 0) {
            accessor.minValues.assign(static_cast<size_t>(components), INFINITY);
            accessor.maxValues.assign(static_cast<size_t>(components), -INFINITY);
            for (size_t i = 0; i < values.size(); ++i) {
                const size_t c = i % static_cast<size_t>(components);
                accessor.minValues[c] = std::min(accessor.minValues[c], static_cast<double>(values[i]));
                accessor.maxValues[c] = std::max(accessor.maxValues[c], static_cast<double>(values[i]));
            }
        }
        model_.accessors.push_back(accessor);
        return static_cast<int>(model_.accessors.size()) - 1;
    }

private:
    tinygltf::Model& model_;
};

struct Counts {
    int unnormalisedVertices = 0;  // biases that do not sum to one
    int trimmedVertices = 0;       // more than eight weights
    int replacedNormals = 0;       // a normal that is not a unit vector
    int emptyMeshes = 0;
};

// One vertex's weights: by joint (a joint named twice gets the sum), the eight
// largest, summing to one.
std::vector<std::pair<int, float>> VertexWeights(const brmath::Mesh& mesh, const brmath::MeshVertex& vertex,
                                                 Counts& counts) {
    std::map<int, double> byJoint;
    double sum = 0;
    for (int k = 0; k < vertex.weightCount; ++k) {
        const brmath::MeshWeight& weight = mesh.weights[vertex.weightStart + k];
        byJoint[weight.joint] += weight.bias;
        sum += weight.bias;
    }
    if (std::fabs(sum - 1.0) > 1e-3) ++counts.unnormalisedVertices;
    std::vector<std::pair<int, double>> sorted(byJoint.begin(), byJoint.end());
    std::stable_sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) { return a.second > b.second; });
    if (sorted.size() > kMaxWeights) {
        ++counts.trimmedVertices;
        sorted.resize(kMaxWeights);
    }
    double kept = 0;
    for (const auto& entry : sorted) kept += entry.second > 0 ? entry.second : 0;
    std::vector<std::pair<int, float>> weights;
    for (const auto& entry : sorted) {
        if (entry.second > 0 && kept > 0) weights.emplace_back(entry.first, static_cast<float>(entry.second / kept));
    }
    if (weights.empty()) weights.emplace_back(sorted.empty() ? 0 : sorted[0].first, 1.0f);
    return weights;
}

// One glTF primitive for an MD5 mesh block, in the bind pose; with its joints and
// weights when `skinned`.
tinygltf::Primitive MakePrimitive(const brmath::Mesh& mesh, bool skinned, BufferWriter& buffer, Counts& counts) {
    std::vector<float> positions, normals, texCoords;
    std::vector<std::vector<std::pair<int, float>>> weights;
    size_t widest = 0;
    for (int v = 0; v < mesh.vertexCount; ++v) {
        const brmath::MeshVertex& vertex = mesh.vertices[v];
        positions.insert(positions.end(), {vertex.position.x, vertex.position.y, vertex.position.z});
        const brmath::Vector3& n = vertex.normal;
        const double length = std::sqrt(double(n.x) * n.x + double(n.y) * n.y + double(n.z) * n.z);
        if (std::isfinite(length) && std::fabs(length - 1.0) < 5e-4) {
            normals.insert(normals.end(), {n.x, n.y, n.z});
        } else {
            // A vertex no triangle uses, or a degenerate one: any unit vector will do.
            ++counts.replacedNormals;
            normals.insert(normals.end(), {0.0f, 0.0f, 1.0f});
        }
        // The file's v counts from the other edge than glTF's.
        texCoords.insert(texCoords.end(), {vertex.texCoord.x, 1.0f + vertex.texCoord.y});
        if (skinned) weights.push_back(VertexWeights(mesh, vertex, counts));
        if (skinned) widest = std::max(widest, weights.back().size());
    }
    tinygltf::Primitive primitive;
    primitive.mode = TINYGLTF_MODE_TRIANGLES;
    primitive.attributes["POSITION"] = buffer.Add(positions, TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC3, 3,
                                                  TINYGLTF_TARGET_ARRAY_BUFFER, true);
    primitive.attributes["NORMAL"] =
        buffer.Add(normals, TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC3, 3, TINYGLTF_TARGET_ARRAY_BUFFER);
    primitive.attributes["TEXCOORD_0"] =
        buffer.Add(texCoords, TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC2, 2, TINYGLTF_TARGET_ARRAY_BUFFER);
    for (int set = 0; set * 4 < static_cast<int>(widest); ++set) {
        std::vector<uint16_t> joints;
        std::vector<float> amounts;
        for (const auto& vertex : weights) {
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
    std::vector<uint32_t> indices;
    for (int t = 0; t < mesh.triangleCount; ++t) {
        for (int32_t index : mesh.triangles[t].indices) indices.push_back(static_cast<uint32_t>(index));
    }
    primitive.indices = buffer.Add(indices, TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT, TINYGLTF_TYPE_SCALAR, 1,
                                   TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER);
    return primitive;
}

// One animation: every joint the clip drives, translation and rotation at each frame.
tinygltf::Animation MakeAnimation(const brmath::Actor& actor, const brmath::Animation& clip, BufferWriter& buffer) {
    tinygltf::Animation animation;
    animation.name = clip.name;
    const double rate = clip.frameRate > 0 ? clip.frameRate : 24;
    std::vector<float> times;
    for (int f = 0; f < clip.frameCount; ++f) times.push_back(static_cast<float>(f / rate));
    const int input =
        buffer.Add(times, TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_SCALAR, 1, 0, true);
    // Of two tracks on one joint the later wins, as in the library's posing.
    std::map<int, int> lastTrack;
    for (int t = 0; t < clip.trackCount; ++t) {
        if (clip.tracks[t].joint != nullptr) lastTrack[static_cast<int>(clip.tracks[t].joint - actor.joints)] = t;
    }
    for (const auto& [joint, t] : lastTrack) {
        const brmath::AnimTrack& track = clip.tracks[t];
        std::vector<float> translations, rotations;
        std::array<double, 4> previous{0, 0, 0, 1};
        for (int f = 0; f < clip.frameCount; ++f) {
            const bool keyed = track.flags != 0 && track.keys != nullptr;
            const brmath::Vector3& p = keyed ? track.keys[f].position : track.basePosition;
            const brmath::Quaternion& q = keyed ? track.keys[f].orientation : track.baseOrientation;
            translations.insert(translations.end(), {p.x, p.y, p.z});
            std::array<double, 4> r = NormalizedQuaternion(q.x, q.y, q.z, q.w);
            // Kept in one hemisphere from key to key, so that interpolation takes the short way.
            if (f > 0 && r[0] * previous[0] + r[1] * previous[1] + r[2] * previous[2] + r[3] * previous[3] < 0) {
                for (double& c : r) c = -c;
            }
            previous = r;
            for (double c : r) rotations.push_back(static_cast<float>(c));
        }
        const char* paths[2] = {"translation", "rotation"};
        const int outputs[2] = {
            buffer.Add(translations, TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC3, 3, 0),
            buffer.Add(rotations, TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC4, 4, 0)};
        for (int k = 0; k < 2; ++k) {
            tinygltf::AnimationSampler sampler;
            sampler.input = input;
            sampler.output = outputs[k];
            sampler.interpolation = "LINEAR";
            animation.samplers.push_back(sampler);
            tinygltf::AnimationChannel channel;
            channel.sampler = static_cast<int>(animation.samplers.size()) - 1;
            channel.target_node = joint;
            channel.target_path = paths[k];
            animation.channels.push_back(channel);
        }
    }
    return animation;
}

}  // namespace

int Export(const ExportOptions& options, std::ostream& out, std::ostream& err) {
    namespace fs = std::filesystem;
    std::string extension = fs::path(options.output).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(), [](unsigned char c) { return std::tolower(c); });
    if (extension != ".glb" && extension != ".gltf") {
        err << "md5tool: -o wants a name ending in .glb (binary glTF) or .gltf (glTF JSON), not \"" << options.output
            << "\"\n";
        return kBadUsage;
    }
    // Beyond these, positions in glTF's 32-bit floats lose all precision or overflow.
    if (!(options.scale >= 1e-6 && options.scale <= 1e6)) {
        err << "md5tool: --scale wants a number from 1e-6 to 1e6\n";
        return kBadUsage;
    }
    brmath::Actor actor;
    if (!LoadMeshForCommand(actor, options.mesh, err)) return kBadInput;
    if (actor.jointCount > 65536) {
        err << "md5tool: " << options.mesh << " has " << actor.jointCount
            << " joints; glTF names a vertex's joints with 16-bit numbers\n";
        return kBadInput;
    }
    if (options.clipGiven && (options.clip < 0 || options.clip >= actor.animationCount)) {
        err << "md5tool: " << options.mesh << " has no clip " << options.clip << " (it has " << actor.animationCount
            << ")\n";
        return kBadInput;
    }
    // The clips leave the joints in their base frames: the bind pose is read again, by
    // the same reader, for the skeleton's rest pose and inverse bind matrices.
    brmath::TextFile text;
    brmath::ModelRecords bind;
    brmath::ReadFailure failure;
    const bool bindRead = text.Open(options.mesh.c_str()) &&
                          brmath::ReadMeshText(text, bind, brmath::FileNotes(nullptr, ""), &failure);
    if (!bindRead || bind.jointCount != actor.jointCount) {
        brmath::ReleaseModel(bind);
        err << "md5tool: " << options.mesh << " changed while it was read\n";
        return kBadInput;
    }

    tinygltf::Model model;
    model.asset.version = "2.0";
    model.asset.generator = "md5tool " BRMATH_VERSION_STRING;
    BufferWriter buffer(model);
    Counts counts;

    // Nodes 0 to J-1: the joints; J: the root that turns MD5's z-up space into glTF's
    // y-up space and scales it; J+1: the skinned mesh, at the scene's root.
    const int root = actor.jointCount;
    std::vector<float> inverseBinds;
    for (int j = 0; j < actor.jointCount; ++j) {
        const brmath::Joint& joint = bind.joints[j];
        tinygltf::Node node;
        node.name = joint.name;
        const Affine global = FromMatrix(joint.matrix);
        const Affine local = joint.parent != nullptr
                                 ? Multiply(Inverse(FromMatrix(bind.joints[joint.parentIndex].matrix)), global)
                                 : global;
        const RigidParts parts = Decompose(local);
        node.translation.assign(parts.translation.begin(), parts.translation.end());
        node.rotation.assign(parts.rotation.begin(), parts.rotation.end());
        for (int c = 0; c < joint.childCount; ++c) node.children.push_back(joint.children[c]->index);
        model.nodes.push_back(node);
        const Affine inverse = Inverse(global);
        for (double element : ColumnMajor(inverse)) inverseBinds.push_back(static_cast<float>(element));
    }
    tinygltf::Node rootNode;
    rootNode.name = "MD5 z-up to glTF y-up";
    const std::array<double, 4> turn = ZUpToYUp();
    rootNode.rotation.assign(turn.begin(), turn.end());
    if (options.scale != 1) rootNode.scale = {options.scale, options.scale, options.scale};
    for (int j = 0; j < actor.jointCount; ++j) {
        if (bind.joints[j].parent == nullptr) rootNode.children.push_back(j);
    }
    model.nodes.push_back(rootNode);

    tinygltf::Mesh mesh;
    mesh.name = fs::path(options.mesh).stem().string();
    for (int m = 0; m < actor.meshCount; ++m) {
        const brmath::Mesh& block = actor.meshes[m];
        if (block.vertexCount == 0 || block.triangleCount == 0) {
            ++counts.emptyMeshes;
            continue;
        }
        tinygltf::Material material;
        material.name = block.shader;
        model.materials.push_back(material);
        tinygltf::Primitive primitive = MakePrimitive(block, actor.jointCount > 0, buffer, counts);
        primitive.material = static_cast<int>(model.materials.size()) - 1;
        mesh.primitives.push_back(primitive);
    }
    std::vector<int> sceneNodes;
    if (!mesh.primitives.empty() && actor.jointCount == 0) {
        // No skeleton: a static mesh under the root's turn.
        model.meshes.push_back(mesh);
        tinygltf::Node meshNode;
        meshNode.name = mesh.name;
        meshNode.mesh = 0;
        model.nodes.push_back(meshNode);
        model.nodes[static_cast<size_t>(root)].children.push_back(static_cast<int>(model.nodes.size()) - 1);
    } else if (!mesh.primitives.empty()) {
        model.meshes.push_back(mesh);
        tinygltf::Skin skin;
        skin.name = mesh.name;
        for (int j = 0; j < actor.jointCount; ++j) skin.joints.push_back(j);
        skin.skeleton = root;
        skin.inverseBindMatrices =
            buffer.Add(inverseBinds, TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_MAT4, 16, 0);
        model.skins.push_back(skin);
        tinygltf::Node meshNode;
        meshNode.name = mesh.name;
        meshNode.mesh = 0;
        meshNode.skin = 0;
        model.nodes.push_back(meshNode);
        sceneNodes.push_back(static_cast<int>(model.nodes.size()) - 1);
    }
    sceneNodes.push_back(root);
    model.scenes.push_back({});
    model.scenes[0].nodes = sceneNodes;
    model.defaultScene = 0;
    brmath::ReleaseModel(bind);

    int clips = 0, frames = 0;
    for (int c = 0; c < actor.animationCount; ++c) {
        if (options.clipGiven && c != options.clip) continue;
        if (actor.animations[c].frameCount <= 0) {
            err << options.mesh << ": warning: clip " << actor.animations[c].name << " has no frames and is left out\n";
            continue;
        }
        model.animations.push_back(MakeAnimation(actor, actor.animations[c], buffer));
        ++clips;
        frames += actor.animations[c].frameCount;
    }
    const std::pair<int, const char*> notices[] = {
        {counts.emptyMeshes, "mesh blocks without vertices or triangles left out (glTF allows no empty accessor)"},
        {counts.unnormalisedVertices, "vertices whose weights do not sum to one, scaled to sum to one"},
        {counts.trimmedVertices, "vertices with more than 8 weights, the 8 largest kept"},
        {counts.replacedNormals, "vertices without a unit normal (used by no triangle, or degenerate), given (0, 0, 1)"}};
    for (const auto& [count, what] : notices) {
        if (count > 0) err << options.mesh << ": warning: " << count << " " << what << "\n";
    }

    // JSON holds UTF-8 only: other names get U+FFFD for their invalid bytes.
    bool replaced = false;
    for (tinygltf::Node& node : model.nodes) node.name = Utf8Text(node.name, &replaced);
    for (tinygltf::Material& material : model.materials) material.name = Utf8Text(material.name, &replaced);
    for (tinygltf::Animation& animation : model.animations) animation.name = Utf8Text(animation.name, &replaced);
    for (tinygltf::Mesh& item : model.meshes) item.name = Utf8Text(item.name, &replaced);
    for (tinygltf::Skin& skin : model.skins) skin.name = Utf8Text(skin.name, &replaced);
    if (replaced) err << options.mesh << ": " << kReplacedNamesWarning << "\n";

    tinygltf::TinyGLTF writer;
    std::ostringstream stream;
    const bool binary = extension == ".glb";
    std::string error;
    bool written = false;
    if (!binary && !options.embed) {
        // The buffer beside the JSON, named after it; both are put in place together.
        const std::string binName = fs::path(options.output).stem().string() + ".bin";
        const std::string binPath = (fs::path(options.output).parent_path() / binName).string();
        const std::vector<unsigned char>& data = model.buffers[0].data;
        writer.WriteGltfSceneToStream(&model, stream, true, false);
        nlohmann::json document = nlohmann::json::parse(stream.str());
        document["buffers"][0]["uri"] = UriOf(binName);
        written = WriteOutputs({{binPath, std::string(data.begin(), data.end())}, {options.output, document.dump(2) + "\n"}},
                               &error);
    } else {
        writer.WriteGltfSceneToStream(&model, stream, !binary, binary);
        written = WriteOutput(options.output, stream.str(), out, &error);
    }
    if (!written) {
        err << "md5tool: " << error << "\n";
        return kBadInput;
    }
    int vertices = 0, triangles = 0;
    for (int m = 0; m < actor.meshCount; ++m) {
        vertices += actor.meshes[m].vertexCount;
        triangles += actor.meshes[m].triangleCount;
    }
    (options.output == "-" ? err : out) << options.output << ": " << actor.jointCount << " joints, "
                                        << mesh.primitives.size() << " meshes, " << vertices << " vertices, "
                                        << triangles << " triangles, " << clips << " clips, " << frames
                                        << " frames\n";
    return kSuccess;
}

}  // namespace md5tool
