// A model and its clips as glTF 2.0, through tinygltf: the conversion behind md5tool
// export and the web module, which reads files and writes bytes but prints nothing.
#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <nlohmann/json.hpp>
#include <sstream>
#include <vector>


#include "brmath/version.h"
#include "gltf_export.h"
#include "gltf_space.h"
#include "md5/mesh_reader.h"
#include "message_lines.h"
#include "model_loading.h"
#include "posed_box.h"
#include "texture_image.h"
#include "tinygltf_settings.h"
#include "utf8_text.h"
#include "wording.h"

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

    // Appends bytes (an image) as one view; returns the view's index.
    int AddView(const std::string& bytes) {
        std::vector<unsigned char>& data = model_.buffers[0].data;
        while (data.size() % 4 != 0) data.push_back(0);
        tinygltf::BufferView view;
        view.buffer = 0;
        view.byteOffset = data.size();
        view.byteLength = bytes.size();
        data.insert(data.end(), bytes.begin(), bytes.end());
        model_.bufferViews.push_back(view);
        return static_cast<int>(model_.bufferViews.size()) - 1;
    }

private:
    tinygltf::Model& model_;
};

// The textures of the shaders' images, each image read once: inside the buffer, or
// in files beside a .gltf (their names and bytes in `beside`).
class TextureWriter {
public:
    TextureWriter(tinygltf::Model& model, BufferWriter& buffer, const std::string& output, bool embedded)
        : model_(model), buffer_(buffer), output_(output), embedded_(embedded) {}

    // The texture of an image file, or -1 when it cannot be read (with a warning).
    int TextureOf(const std::string& path, const std::string& mesh, std::ostream& err) {
        const auto known = textures_.find(path);
        if (known != textures_.end()) return known->second;
        int& texture = textures_[path];
        texture = -1;
        TextureImage image;
        std::string error;
        if (!ReadTextureImage(path, &image, &error)) {
            err << mesh << ": warning: the shader's image " << path << " is left out: " << error << "\n";
            return texture;
        }
        namespace fs = std::filesystem;
        tinygltf::Image entry;
        entry.name = fs::u8path(path).stem().string();
        entry.mimeType = image.mimeType;
        if (embedded_) {
            entry.bufferView = buffer_.AddView(image.bytes);
        } else {
            const fs::path out = fs::u8path(output_);
            const std::string extension = image.mimeType == "image/png" ? ".png" : ".jpg";
            std::string name = out.stem().string() + "_" + entry.name + extension;
            for (int n = 2; taken_.count(name) != 0; ++n) {
                name = out.stem().string() + "_" + entry.name + "_" + std::to_string(n) + extension;
            }
            taken_.insert(name);
            entry.uri = UriOf(name);
            beside.emplace_back((out.parent_path() / fs::u8path(name)).string(), image.bytes);
        }
        model_.images.push_back(entry);
        if (model_.samplers.empty()) {
            tinygltf::Sampler repeat;  // glTF's defaults: repeat, the client's filters
            model_.samplers.push_back(repeat);
        }
        tinygltf::Texture entryTexture;
        entryTexture.source = static_cast<int>(model_.images.size()) - 1;
        entryTexture.sampler = 0;
        model_.textures.push_back(entryTexture);
        texture = static_cast<int>(model_.textures.size()) - 1;
        return texture;
    }

    std::vector<std::pair<std::string, std::string>> beside;

private:
    tinygltf::Model& model_;
    BufferWriter& buffer_;
    std::string output_;
    bool embedded_;
    std::map<std::string, int> textures_;
    std::set<std::string> taken_;
};

struct Counts {
    int unnormalisedVertices = 0;  // biases that do not sum to one
    int trimmedVertices = 0;       // more weights than --max-weights
    int repeatedJoints = 0;        // weights that name a joint twice, added
    int overFourWeights = 0;       // more than four weights kept: a second JOINTS/WEIGHTS set
    int replacedNormals = 0;       // a normal that is not a unit vector, of a vertex a triangle uses
    int unusedVertices = 0;        // vertices no triangle uses (their normals are no unit vectors either)
    int emptyMeshes = 0;
    int disagreeingVertices = 0;   // weights that place the vertex apart in the bind pose
    double largestDisagreement = 0;
};

// One vertex's weights: by joint (a joint named twice gets the sum), the `most` largest,
// summing to one.
std::vector<std::pair<int, float>> VertexWeights(const brmath::Mesh& mesh, const brmath::MeshVertex& vertex, int most,
                                                 Counts& counts) {
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
    std::vector<std::pair<int, float>> weights;
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
double WeightDisagreement(const brmath::Mesh& mesh, const brmath::MeshVertex& vertex, const brmath::Joint* bind) {
    double largest = 0;
    for (int k = 0; k < vertex.weightCount; ++k) {
        const brmath::MeshWeight& weight = mesh.weights[vertex.weightStart + k];
        const Affine joint = FromMatrix(bind[weight.joint].matrix);
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

// One glTF primitive for an MD5 mesh block in the bind pose, in glTF's space: triangles
// wound counter-clockwise about their outward normals, as glTF's front faces are; with
// its joints and weights when `skinned`.
tinygltf::Primitive MakePrimitive(const brmath::Mesh& mesh, const brmath::Joint* bind, const GltfSpace& space,
                                  int maxWeights, double tolerance, BufferWriter& buffer, Counts& counts) {
    std::vector<float> positions, normals, texCoords;
    std::vector<std::vector<std::pair<int, float>>> weights;
    size_t widest = 0;
    std::vector<bool> used(static_cast<size_t>(mesh.vertexCount), false);
    for (int t = 0; t < mesh.triangleCount; ++t) {
        for (const int32_t corner : mesh.triangles[t].indices) used[static_cast<size_t>(corner)] = true;
    }
    for (int v = 0; v < mesh.vertexCount; ++v) {
        const brmath::MeshVertex& vertex = mesh.vertices[v];
        for (double c : space.Point(vertex.position.x, vertex.position.y, vertex.position.z)) {
            positions.push_back(static_cast<float>(c));
        }
        const brmath::Vector3& n = vertex.normal;
        const double length = std::sqrt(double(n.x) * n.x + double(n.y) * n.y + double(n.z) * n.z);
        if (std::isfinite(length) && std::fabs(length - 1.0) < 5e-4) {
            for (double c : space.Direction(n.x, n.y, n.z)) normals.push_back(static_cast<float>(c));
        } else {
            // A vertex no triangle uses, or a degenerate one: any unit vector will do.
            ++(used[static_cast<size_t>(v)] ? counts.replacedNormals : counts.unusedVertices);
            normals.insert(normals.end(), {0.0f, 1.0f, 0.0f});
        }
        // The file's v counts from the other edge than glTF's.
        texCoords.insert(texCoords.end(), {vertex.texCoord.x, 1.0f + vertex.texCoord.y});
        if (bind == nullptr) continue;
        weights.push_back(VertexWeights(mesh, vertex, maxWeights, counts));
        widest = std::max(widest, weights.back().size());
        const double apart = WeightDisagreement(mesh, vertex, bind);
        if (apart > tolerance) ++counts.disagreeingVertices;
        counts.largestDisagreement = std::max(counts.largestDisagreement, apart);
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
    // MD5's triangles wind clockwise about their normals; the turn to glTF's axes keeps
    // that, so each triangle's last two corners change places.
    std::vector<uint32_t> indices;
    for (int t = 0; t < mesh.triangleCount; ++t) {
        const int32_t* corners = mesh.triangles[t].indices;
        indices.insert(indices.end(), {static_cast<uint32_t>(corners[0]), static_cast<uint32_t>(corners[2]),
                                       static_cast<uint32_t>(corners[1])});
    }
    primitive.indices = buffer.Add(indices, TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT, TINYGLTF_TYPE_SCALAR, 1,
                                   TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER);
    return primitive;
}

// A material any viewer shows: not metallic, mid rough, a light base colour.
tinygltf::Material MakeMaterial(const std::string& shader) {
    tinygltf::Material material;
    material.name = shader;
    material.pbrMetallicRoughness.baseColorFactor = {0.8, 0.8, 0.8, 1.0};
    material.pbrMetallicRoughness.metallicFactor = 0.0;
    material.pbrMetallicRoughness.roughnessFactor = 0.6;
    return material;
}

// Every joint's transform relative to its parent, in glTF's space, from the joints'
// model-space matrices.
std::vector<Affine> LocalTransforms(const brmath::Joint* joints, int count, const GltfSpace& space) {
    std::vector<Affine> locals(static_cast<size_t>(count));
    for (int j = 0; j < count; ++j) {
        const Affine global = FromMatrix(joints[j].matrix);
        const Affine local = joints[j].parent != nullptr ? Multiply(Inverse(FromMatrix(joints[j].parent->matrix)), global)
                                                          : global;
        locals[static_cast<size_t>(j)] = space.Transform(local);
    }
    return locals;
}

bool SameTransform(const Affine& a, const Affine& b) {
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            if (std::fabs(a.m[i][j] - b.m[i][j]) > 1e-6) return false;
        }
        if (std::fabs(a.t[i] - b.t[i]) > 1e-6 * (1 + std::fabs(b.t[i]))) return false;
    }
    return true;
}

// One animation: the joints as the library poses them at each frame of clip `clip`,
// played from a fresh load, and a last key at count / frameRate equal to the first, so
// that a looping player wraps as the library does. A joint gets channels when the
// clip drives it or when it moves (a joint the clip does not drive stays where it was
// in model space, under a parent that moves); `undriven` counts the joints it does not
// drive.
tinygltf::Animation MakeAnimation(const std::string& meshPath, int clip, const std::string& name,
                                  const std::vector<Affine>& rest, const GltfSpace& space, BufferWriter& buffer,
                                  int* undriven) {
    brmath::Actor actor;
    actor.LoadMesh(meshPath.c_str());
    actor.SetAnimation(clip);
    const brmath::Animation& frames = actor.animations[clip];
    std::vector<bool> driven(static_cast<size_t>(actor.jointCount), false);
    for (int t = 0; t < frames.trackCount; ++t) {
        if (frames.tracks[t].joint != nullptr) driven[static_cast<size_t>(frames.tracks[t].joint - actor.joints)] = true;
    }
    *undriven = static_cast<int>(std::count(driven.begin(), driven.end(), false));
    std::vector<std::vector<Affine>> poses;
    for (int f = 0; f < frames.frameCount; ++f) {
        actor.ProceedAnimation(f);
        poses.push_back(LocalTransforms(actor.joints, actor.jointCount, space));
    }
    poses.push_back(poses.front());

    tinygltf::Animation animation;
    animation.name = name;
    const double rate = frames.frameRate > 0 ? frames.frameRate : 24;
    std::vector<float> times;
    for (int f = 0; f <= frames.frameCount; ++f) times.push_back(static_cast<float>(f / rate));
    int input = -1;
    for (int j = 0; j < actor.jointCount; ++j) {
        const size_t joint = static_cast<size_t>(j);
        bool moves = false;
        for (const auto& pose : poses) moves = moves || !SameTransform(pose[joint], rest[joint]);
        if (!driven[joint] && !moves) continue;
        std::vector<float> translations, rotations;
        std::array<double, 4> previous{0, 0, 0, 1};
        for (size_t f = 0; f < poses.size(); ++f) {
            const RigidParts parts = Decompose(poses[f][joint]);
            for (double c : parts.translation) translations.push_back(static_cast<float>(c));
            std::array<double, 4> r = parts.rotation;
            // Kept in one hemisphere from key to key, so that interpolation takes the short way.
            if (f > 0 && r[0] * previous[0] + r[1] * previous[1] + r[2] * previous[2] + r[3] * previous[3] < 0) {
                for (double& c : r) c = -c;
            }
            previous = r;
            for (double c : r) rotations.push_back(static_cast<float>(c));
        }
        if (input < 0) input = buffer.Add(times, TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_SCALAR, 1, 0, true);
        const char* paths[2] = {"translation", "rotation"};
        const int outputs[2] = {buffer.Add(translations, TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC3, 3, 0),
                                buffer.Add(rotations, TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC4, 4, 0)};
        for (int k = 0; k < 2; ++k) {
            tinygltf::AnimationSampler sampler;
            sampler.input = input;
            sampler.output = outputs[k];
            sampler.interpolation = "LINEAR";
            animation.samplers.push_back(sampler);
            tinygltf::AnimationChannel channel;
            channel.sampler = static_cast<int>(animation.samplers.size()) - 1;
            channel.target_node = j;
            channel.target_path = paths[k];
            animation.channels.push_back(channel);
        }
    }
    return animation;
}

// The animations' names: the clips' names, each taken name given a suffix _2, _3, ...
std::vector<std::string> AnimationNames(const std::vector<std::string>& clips) {
    std::vector<std::string> names;
    std::set<std::string> taken;
    for (const std::string& name : clips) {
        std::string unique = name;
        for (int n = 2; taken.count(unique) != 0; ++n) unique = name + "_" + std::to_string(n);
        taken.insert(unique);
        names.push_back(unique);
    }
    return names;
}

}  // namespace

ExportResult ExportGltf(const ExportOptions& options) {
    namespace fs = std::filesystem;
    ExportResult result;
    std::ostringstream err;  // the messages, one a line
    const auto finish = [&](int status) { return Finished(std::move(result), status, err.str()); };
    std::string extension = fs::path(options.output).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(), [](unsigned char c) { return std::tolower(c); });
    if (extension != ".glb" && extension != ".gltf") {
        err << "md5tool: -o wants a name ending in .glb (binary glTF) or .gltf (glTF JSON), not \"" << options.output
            << "\"\n";
        return finish(kBadUsage);
    }
    if (!ScaleInRange(options.scale, err)) return finish(kBadUsage);
    if (options.embed && extension == ".glb") err << "md5tool: warning: --embed has no effect on a .glb, which holds its buffer\n";
    if (options.maxWeights < 1 || options.maxWeights > kMaxWeights) {
        err << "md5tool: --max-weights wants 1 to " << kMaxWeights << "\n";
        return finish(kBadUsage);
    }
    brmath::Actor actor;
    const LoadOutcome loaded = LoadMeshReporting(actor, options.mesh);
    for (const std::string& warning : loaded.warnings) err << warning << "\n";
    if (!loaded.loaded) {
        err << loaded.Failure() << "\n";
        return finish(kBadInput);
    }
    if (actor.jointCount > 65536) {
        err << options.mesh << ": error: " << actor.jointCount
            << " joints, more than glTF's 16-bit joint numbers can name\n";
        return finish(kBadInput);
    }
    if (options.clipGiven && (options.clip < 0 || options.clip >= actor.animationCount)) {
        err << NoClipMessage(options.mesh, options.clip, actor.animationCount) << "\n";
        return finish(kBadInput);
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
        err << options.mesh << ": error: the file changed while it was read\n";
        return finish(kBadInput);
    }

    tinygltf::Model model;
    model.asset.version = "2.0";
    model.asset.generator = "md5tool " BRMATH_VERSION_STRING;
    BufferWriter buffer(model);
    Counts counts;
    GltfSpace space;
    space.scale = options.scale;

    // Nodes 0 to J-1: the joints, in glTF's space; J: the mesh, named after the model.
    const std::vector<Affine> rest = LocalTransforms(bind.joints, bind.jointCount, space);
    std::vector<float> inverseBinds;
    std::vector<int> sceneNodes;
    for (int j = 0; j < actor.jointCount; ++j) {
        const brmath::Joint& joint = bind.joints[j];
        tinygltf::Node node;
        node.name = joint.name;
        const RigidParts parts = Decompose(rest[static_cast<size_t>(j)]);
        node.translation.assign(parts.translation.begin(), parts.translation.end());
        node.rotation.assign(parts.rotation.begin(), parts.rotation.end());
        for (int c = 0; c < joint.childCount; ++c) node.children.push_back(joint.children[c]->index);
        if (joint.parent == nullptr) sceneNodes.push_back(j);
        model.nodes.push_back(node);
        for (double element : ColumnMajor(Inverse(space.Transform(FromMatrix(joint.matrix))))) {
            inverseBinds.push_back(static_cast<float>(element));
        }
    }

    // The bind pose's diagonal, which the weights' disagreement is measured against.
    const double diagonal = PosedBoxOf(actor).Diagonal();

    const bool binary = extension == ".glb";
    TextureWriter textures(model, buffer, options.output, binary || options.embed);
    tinygltf::Mesh mesh;
    mesh.name = fs::path(options.mesh).stem().string();
    for (int m = 0; m < actor.meshCount; ++m) {
        const brmath::Mesh& block = actor.meshes[m];
        if (block.vertexCount == 0 || block.triangleCount == 0) {
            ++counts.emptyMeshes;
            continue;
        }
        model.materials.push_back(MakeMaterial(block.shader));
        const std::string image = FindShaderImage(options.mesh, block.shader);
        const int texture = image.empty() ? -1 : textures.TextureOf(image, options.mesh, err);
        if (texture >= 0) {
            model.materials.back().pbrMetallicRoughness.baseColorTexture.index = texture;
            model.materials.back().pbrMetallicRoughness.baseColorFactor = {1, 1, 1, 1};
        }
        tinygltf::Primitive primitive = MakePrimitive(block, actor.jointCount > 0 ? bind.joints : nullptr, space,
                                                      options.maxWeights, 1e-4 * diagonal, buffer, counts);
        primitive.material = static_cast<int>(model.materials.size()) - 1;
        mesh.primitives.push_back(primitive);
    }
    if (!mesh.primitives.empty()) {
        model.meshes.push_back(mesh);
        tinygltf::Node meshNode;
        meshNode.name = mesh.name;
        meshNode.mesh = 0;
        if (actor.jointCount > 0) {
            tinygltf::Skin skin;
            skin.name = mesh.name;
            for (int j = 0; j < actor.jointCount; ++j) skin.joints.push_back(j);
            skin.inverseBindMatrices =
                buffer.Add(inverseBinds, TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_MAT4, 16, 0);
            model.skins.push_back(skin);
            meshNode.skin = 0;
        }
        model.nodes.push_back(meshNode);
        sceneNodes.push_back(static_cast<int>(model.nodes.size()) - 1);
    }
    model.scenes.push_back({});
    model.scenes[0].nodes = sceneNodes;
    model.defaultScene = 0;
    brmath::ReleaseModel(bind);

    const std::vector<std::string> names = AnimationNames(ClipNames(options.mesh, loaded, actor));
    int clips = 0, frames = 0;
    for (int c = 0; c < actor.animationCount; ++c) {
        if (options.clipGiven && c != options.clip) continue;
        const std::string& name = names[static_cast<size_t>(c)];
        if (actor.animations[c].frameCount <= 0) {
            err << options.mesh << ": warning: clip " << name << " has no frames and is left out\n";
            continue;
        }
        int undriven = 0;
        model.animations.push_back(MakeAnimation(options.mesh, c, name, rest, space, buffer, &undriven));
        if (undriven > 0) {
            err << options.mesh << ": warning: clip " << name << " drives " << actor.jointCount - undriven << " of "
                << actor.jointCount << " joints: the other " << undriven
                << " are keyed where the library holds them (in place in model space) when it plays the clip\n";
        }
        ++clips;
        frames += actor.animations[c].frameCount;
    }
    // Each thing export changed or left out: a count, its noun, what became of it.
    struct Notice {
        int count;
        const char* one;
        const char* many;
        std::string what;
    };
    const Notice notices[] = {
        {counts.emptyMeshes, "mesh block", "mesh blocks",
         "without vertices or triangles left out (glTF allows no empty accessor)"},
        {counts.unnormalisedVertices, "vertex", "vertices", "whose weights do not sum to one, scaled to sum to one"},
        {counts.repeatedJoints, "vertex", "vertices", "whose weights name a joint twice, the weights of that joint added"},
        {counts.trimmedVertices, "vertex", "vertices",
         "with more than " + std::to_string(options.maxWeights) + " weights, the largest kept"},
        {counts.overFourWeights, "vertex", "vertices",
         "with more than 4 weights, written as a second JOINTS/WEIGHTS set that some clients ignore "
         "(--max-weights 4 keeps the 4 largest)"},
        {counts.disagreeingVertices, "vertex", "vertices",
         "whose weights place them apart in the bind pose (by up to " +
             OfTheModelsSize(counts.largestDisagreement, diagonal) +
             "): a glTF skin poses them where their weights' average lies, not as the library does"},
        {counts.replacedNormals, "vertex", "vertices",
         "of degenerate triangles only, without a unit normal, given (0, 1, 0)"}};
    for (const Notice& notice : notices) {
        if (notice.count > 0) {
            err << options.mesh << ": warning: " << Counted(notice.count, notice.one, notice.many) << " " << notice.what
                << "\n";
        }
    }

    // JSON holds UTF-8 only: other names get U+FFFD for their invalid bytes.
    bool replaced = false;
    for (tinygltf::Node& node : model.nodes) node.name = Utf8Text(node.name, &replaced);
    for (tinygltf::Material& material : model.materials) material.name = Utf8Text(material.name, &replaced);
    for (tinygltf::Animation& animation : model.animations) animation.name = Utf8Text(animation.name, &replaced);
    for (tinygltf::Mesh& item : model.meshes) item.name = Utf8Text(item.name, &replaced);
    for (tinygltf::Skin& skin : model.skins) skin.name = Utf8Text(skin.name, &replaced);
    const bool said = std::any_of(loaded.warnings.begin(), loaded.warnings.end(),
                                  [](const std::string& w) { return w.find(kReplacedNamesWarning) != std::string::npos; });
    if (replaced && !said) err << options.mesh << ": " << kReplacedNamesWarning << "\n";

    tinygltf::TinyGLTF writer;
    std::ostringstream stream;
    if (!binary && !options.embed) {
        // The buffer beside the JSON, named after it; the JSON comes last.
        const std::string binName = fs::path(options.output).stem().string() + ".bin";
        const std::string binPath = (fs::path(options.output).parent_path() / binName).string();
        const std::vector<unsigned char>& data = model.buffers[0].data;
        writer.WriteGltfSceneToStream(&model, stream, true, false);
        nlohmann::json document = nlohmann::json::parse(stream.str());
        document["buffers"][0]["uri"] = UriOf(binName);
        result.files = textures.beside;
        result.files.emplace_back(binPath, std::string(data.begin(), data.end()));
        result.files.emplace_back(options.output, document.dump(2) + "\n");
    } else {
        writer.WriteGltfSceneToStream(&model, stream, !binary, binary);
        result.files.emplace_back(options.output, stream.str());
    }
    // What the file holds: the blocks left out (said above) are not counted.
    size_t vertices = 0, triangles = 0;
    for (const tinygltf::Primitive& primitive : mesh.primitives) {
        vertices += model.accessors[static_cast<size_t>(primitive.attributes.at("POSITION"))].count;
        triangles += model.accessors[static_cast<size_t>(primitive.indices)].count / 3;
    }
    std::ostringstream summary;
    summary << options.output << ": " << Counted(actor.jointCount, "joint", "joints") << ", "
            << Counted(static_cast<long long>(mesh.primitives.size()), "mesh", "meshes") << ", "
            << Counted(static_cast<long long>(vertices), "vertex", "vertices")
            << (counts.unusedVertices > 0 ? " (" + std::to_string(counts.unusedVertices) + " that no triangle uses)" : "")
            << ", "
            << Counted(static_cast<long long>(triangles), "triangle", "triangles") << ", " << Counted(clips, "clip", "clips")
            << ", " << Counted(frames, "frame", "frames");
    result.summary = summary.str();
    return finish(kSuccess);
}

}  // namespace md5tool
