// A model and its clips as glTF 2.0, through tinygltf, from one load of the model.
#include "gltf_export.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>

#include "brmath/version.h"
#include "gltf_animation.h"
#include "gltf_game_material.h"
#include "gltf_primitive.h"
#include "gltf_textures.h"
#include "texture_image.h"
#include "utf8_text.h"
#include "wording.h"

namespace convert {

namespace {

namespace fs = std::filesystem;

// One export under way: the request, the model being built and what it says.
struct Build {
    Build(LoadedModel& model, FileSet& set, const ExportRequest& asked, ExportResult& out)
        : loaded(model), files(set), request(asked), result(out) {}

    LoadedModel& loaded;
    FileSet& files;
    const ExportRequest& request;
    ExportResult& result;
    tinygltf::Model model;
    BufferWriter buffer{model};
    ExportCounts counts;
    GltfSpace space;
    std::vector<Affine> rest;
    std::vector<int> sceneNodes;
    tinygltf::Mesh mesh;
    // The joints a .md5scale scales, in the order of their scale-only nodes (after the
    // joints' nodes), and each joint's place in the skin.
    std::vector<int> scaled;
    std::vector<int> jointSlots;

    brmath::Actor& Actor() { return *loaded.actor; }
    void Warn(const std::string& text) { result.diagnostics.push_back(Warning(loaded.mesh, text)); }
};

// What an actor shows (its joints, its posed vertices and its clip), kept while an
// export poses it and given back after.
class ShownPose {
public:
    explicit ShownPose(brmath::Actor& actor) : actor_(actor), joints_(JointMatrices(actor)), clip_(actor.currentAnimation) {
        for (int m = 0; m < actor.meshCount; ++m) {
            const brmath::Mesh& mesh = actor.meshes[m];
            vertices_.emplace_back(mesh.vertices, mesh.vertices + mesh.vertexCount);
        }
    }
    ~ShownPose() {
        for (int j = 0; j < actor_.jointCount; ++j) actor_.joints[j].matrix = joints_[static_cast<size_t>(j)];
        for (int m = 0; m < actor_.meshCount; ++m) {
            std::copy(vertices_[static_cast<size_t>(m)].begin(), vertices_[static_cast<size_t>(m)].end(),
                      actor_.meshes[m].vertices);
        }
        actor_.SetAnimation(clip_);
    }
    ShownPose(const ShownPose&) = delete;
    ShownPose& operator=(const ShownPose&) = delete;

private:
    brmath::Actor& actor_;
    std::vector<brmath::Matrix4> joints_;
    std::vector<std::vector<brmath::MeshVertex>> vertices_;
    int clip_;
};

// The meshes skinned in the bind pose, as the load skinned them before any clip.
void SkinBindPose(LoadedModel& loaded) {
    brmath::Actor& actor = *loaded.actor;
    for (int j = 0; j < actor.jointCount; ++j) actor.joints[j].matrix = loaded.bindPose[static_cast<size_t>(j)];
    actor.SkinVertices();
}

// About the bytes the buffer takes: each vertex's attributes (eight weights at most) and
// each triangle's indices; each clip's keys, a translation and a rotation a joint.
size_t BufferEstimate(const brmath::Actor& actor) {
    size_t bytes = static_cast<size_t>(actor.jointCount) * 64;
    for (int m = 0; m < actor.meshCount; ++m) {
        bytes += static_cast<size_t>(actor.meshes[m].vertexCount) * (12 + 12 + 8 + 2 * (8 + 16));
        bytes += static_cast<size_t>(actor.meshes[m].triangleCount) * 12;
    }
    for (int c = 0; c < actor.animationCount; ++c) {
        const size_t keys = static_cast<size_t>(std::max(actor.animations[c].frameCount, 0)) + 1;
        bytes += keys * (4 + static_cast<size_t>(actor.jointCount) * (12 + 16));
    }
    return bytes + 4096;
}

// After the joints, a scale-only child "JOINT.scale" of each joint the .md5scale scales:
// it carries the joint's weights (its inverse bind matrix the joint's), so that other
// programs scale them and leave the joint's children be; its extras say whether the
// joint's translation is scaled too.
void AddScaleNodes(Build& build, std::vector<float>& inverseBinds) {
    const int joints = build.Actor().jointCount;
    build.jointSlots.resize(static_cast<size_t>(joints));
    for (int j = 0; j < joints; ++j) build.jointSlots[static_cast<size_t>(j)] = j;
    for (const ScaledJoint& scaled : build.loaded.scale.joints) {
        if (scaled.joint < 0 || scaled.joint >= joints ||
            std::find(build.scaled.begin(), build.scaled.end(), scaled.joint) != build.scaled.end()) {
            continue;
        }
        const int node = joints + static_cast<int>(build.scaled.size());
        build.scaled.push_back(scaled.joint);
        build.jointSlots[static_cast<size_t>(scaled.joint)] = node;
        tinygltf::Node helper;
        helper.name = std::string(build.Actor().joints[scaled.joint].name) + ".scale";
        helper.extras = tinygltf::Value(tinygltf::Value::Object{
            {"md5scale", tinygltf::Value(tinygltf::Value::Object{{"scale_positions", tinygltf::Value(scaled.scalePositions)}})}});
        build.model.nodes[static_cast<size_t>(scaled.joint)].children.push_back(node);
        build.model.nodes.push_back(helper);
        const size_t at = static_cast<size_t>(scaled.joint) * 16;
        inverseBinds.insert(inverseBinds.end(), inverseBinds.begin() + static_cast<std::ptrdiff_t>(at),
                            inverseBinds.begin() + static_cast<std::ptrdiff_t>(at + 16));
    }
}

// Nodes 0 to J-1: the joints in their bind pose, in glTF's space; their inverse bind matrices.
std::vector<float> AddSkeleton(Build& build) {
    const brmath::Actor& actor = build.Actor();
    build.rest = LocalTransforms(actor, build.loaded.bindPose, build.space);
    std::vector<float> inverseBinds;
    for (int j = 0; j < actor.jointCount; ++j) {
        const brmath::Joint& joint = actor.joints[j];
        tinygltf::Node node;
        node.name = joint.name;
        const RigidParts parts = Decompose(build.rest[static_cast<size_t>(j)]);
        node.translation.assign(parts.translation.begin(), parts.translation.end());
        node.rotation.assign(parts.rotation.begin(), parts.rotation.end());
        for (int c = 0; c < joint.childCount; ++c) node.children.push_back(joint.children[c]->index);
        if (joint.parent == nullptr) build.sceneNodes.push_back(j);
        build.model.nodes.push_back(node);
        const Affine bind = build.space.Transform(FromMatrix(build.loaded.bindPose[static_cast<size_t>(j)]));
        for (double element : ColumnMajor(Inverse(bind))) inverseBinds.push_back(static_cast<float>(element));
    }
    AddScaleNodes(build, inverseBinds);
    return inverseBinds;
}

// A primitive and a material for every block with vertices and triangles.
void AddPrimitives(Build& build, TextureWriter& textures) {
    const brmath::Actor& actor = build.Actor();
    // The bind pose's diagonal, which the weights' disagreement is measured against.
    const double diagonal = build.loaded.loadedBox.Diagonal();
    const SkinningRule rule{actor.jointCount > 0 ? &build.loaded.bindPose : nullptr, build.request.maxWeights,
                            1e-4 * diagonal, build.scaled.empty() ? nullptr : &build.jointSlots};
    for (int m = 0; m < actor.meshCount; ++m) {
        const brmath::Mesh& block = actor.meshes[m];
        if (block.vertexCount == 0 || block.triangleCount == 0) {
            ++build.counts.emptyMeshes;
            continue;
        }
        const std::vector<SurfaceMaps>* maps = build.request.maps;
        const bool game = maps != nullptr && static_cast<size_t>(m) < maps->size();
        if (game) {
            build.model.materials.push_back(MakeGameMaterial((*maps)[static_cast<size_t>(m)], textures));
            std::vector<std::string>& used = build.model.extensionsUsed;
            if (used.empty()) used.push_back(kSpecularExtension);
        } else {
            build.model.materials.push_back(MakeMaterial(block.shader));
            const std::string image = FindShaderImage(build.files, build.loaded.mesh, block.shader);
            const int texture = image.empty() ? -1 : textures.TextureOf(image, build.loaded.mesh, build.result.diagnostics);
            if (texture >= 0) {
                build.model.materials.back().pbrMetallicRoughness.baseColorTexture.index = texture;
                build.model.materials.back().pbrMetallicRoughness.baseColorFactor = {1, 1, 1, 1};
            }
        }
        tinygltf::Primitive primitive = MakePrimitive(block, rule, build.space, build.buffer, build.counts, game);
        primitive.material = static_cast<int>(build.model.materials.size()) - 1;
        build.mesh.primitives.push_back(primitive);
    }
}

// The mesh node J, named after the model, with its skin; then the scene.
void AddMeshNode(Build& build, const std::vector<float>& inverseBinds) {
    const int joints = build.Actor().jointCount + static_cast<int>(build.scaled.size());
    if (!build.mesh.primitives.empty()) {
        build.model.meshes.push_back(build.mesh);
        tinygltf::Node meshNode;
        meshNode.name = build.mesh.name;
        meshNode.mesh = 0;
        if (joints > 0) {
            tinygltf::Skin skin;
            skin.name = build.mesh.name;
            for (int j = 0; j < joints; ++j) skin.joints.push_back(j);
            skin.inverseBindMatrices =
                build.buffer.Add(inverseBinds, TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_MAT4, 16, 0);
            build.model.skins.push_back(skin);
            meshNode.skin = 0;
        }
        build.model.nodes.push_back(meshNode);
        build.sceneNodes.push_back(static_cast<int>(build.model.nodes.size()) - 1);
    }
    build.model.scenes.push_back({});
    build.model.scenes[0].nodes = build.sceneNodes;
    build.model.defaultScene = 0;
}

// The .md5scale's scales at each frame of clip `clip`.
ClipScales ScalesOfClip(Build& build, int clip) {
    ClipScales scales;
    if (build.scaled.empty()) return scales;
    scales.joints = build.scaled;
    const int joints = build.Actor().jointCount;
    scales.firstNode = joints;
    for (int f = 0; f < build.Actor().animations[clip].frameCount; ++f) {
        std::vector<brmath::JointScale> at;
        const int whole = WholeClipFrame(build.loaded, clip, f);
        if (whole < 0 || !ScalesAtFrame(build.loaded.scale, joints, whole, &at)) at.clear();
        scales.frames.push_back(std::move(at));
    }
    return scales;
}

// Every clip asked for, sampled from the joints as the load left them.
void AddAnimations(Build& build) {
    brmath::Actor& actor = build.Actor();
    const std::vector<std::string> names = AnimationNames(build.loaded.clipNames);
    for (int c = 0; c < actor.animationCount; ++c) {
        if (build.request.clip >= 0 && c != build.request.clip) continue;
        const std::string& name = names[static_cast<size_t>(c)];
        if (actor.animations[c].frameCount <= 0) {
            build.Warn("clip " + name + " has no frames and is left out");
            continue;
        }
        int undriven = 0;
        const ClipScales scales = ScalesOfClip(build, c);
        build.model.animations.push_back(MakeAnimation(actor, build.loaded.loadedPose, c, name, build.rest, build.space,
                                                       build.buffer, &undriven, scales.joints.empty() ? nullptr : &scales));
        if (undriven > 0) {
            build.Warn("clip " + name + " drives " + std::to_string(actor.jointCount - undriven) + " of " +
                       std::to_string(actor.jointCount) + " joints: the other " + std::to_string(undriven) +
                       " are keyed where the library holds them (in place in model space) when it plays the clip");
        }
        ++build.result.counts.clips;
        build.result.counts.frames += actor.animations[c].frameCount;
    }
}

// Each thing export changed or left out: a count, its noun, what became of it.
void SayCounts(Build& build) {
    const ExportCounts& counts = build.counts;
    const double diagonal = build.loaded.loadedBox.Diagonal();
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
         "with more than " + std::to_string(build.request.maxWeights) + " weights, the largest kept"},
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
        if (notice.count > 0) build.Warn(Counted(notice.count, notice.one, notice.many) + " " + notice.what);
    }
}

// JSON holds UTF-8 only: other names get U+FFFD for their invalid bytes.
void ReplaceNames(Build& build) {
    bool replaced = false;
    tinygltf::Model& model = build.model;
    for (tinygltf::Node& node : model.nodes) node.name = Utf8Text(node.name, &replaced);
    for (tinygltf::Material& material : model.materials) material.name = Utf8Text(material.name, &replaced);
    for (tinygltf::Animation& animation : model.animations) animation.name = Utf8Text(animation.name, &replaced);
    for (tinygltf::Mesh& item : model.meshes) item.name = Utf8Text(item.name, &replaced);
    for (tinygltf::Skin& skin : model.skins) skin.name = Utf8Text(skin.name, &replaced);
    const auto& said = build.loaded.warnings;
    const bool before = std::any_of(said.begin(), said.end(), [](const Diagnostic& d) { return d.text == kReplacedNamesWarning; });
    if (replaced && !before) build.Warn(kReplacedNamesWarning);
}

// A stream that appends to a string with room made ahead: a string stream grows by
// copying what it holds, which on a buffer of megabytes is most of an export's time.
class StringSink : public std::streambuf {
public:
    explicit StringSink(size_t room) { text_.reserve(room); }
    std::string Take() { return std::move(text_); }

protected:
    std::streamsize xsputn(const char* bytes, std::streamsize count) override {
        text_.append(bytes, static_cast<size_t>(count));
        return count;
    }
    int_type overflow(int_type c) override {
        if (!traits_type::eq_int_type(c, traits_type::eof())) text_.push_back(traits_type::to_char_type(c));
        return traits_type::not_eof(c);
    }

private:
    std::string text_;
};

// The glTF's files: one .glb or embedded .gltf, or the images, the buffer and the JSON.
void WriteFiles(Build& build, bool binary, TextureWriter& textures) {
    tinygltf::TinyGLTF writer;
    StringSink sink(build.model.buffers[0].data.size() * (binary ? 1 : 2) + (1 << 20));
    std::ostream stream(&sink);
    const std::string& output = build.request.output;
    if (binary || build.request.embed) {
        writer.WriteGltfSceneToStream(&build.model, stream, !binary, binary);
        build.result.files.emplace_back(output, sink.Take());
        return;
    }
    // The buffer beside the JSON, named after it; the JSON comes last.
    const std::string binName = fs::path(output).stem().string() + ".bin";
    const std::string binPath = (fs::path(output).parent_path() / binName).string();
    const std::vector<unsigned char>& data = build.model.buffers[0].data;
    writer.WriteGltfSceneToStream(&build.model, stream, true, false);
    nlohmann::json document = nlohmann::json::parse(sink.Take());
    document["buffers"][0]["uri"] = UriOf(binName);
    build.result.files = textures.beside;
    build.result.files.emplace_back(binPath, std::string(data.begin(), data.end()));
    build.result.files.emplace_back(output, document.dump(2) + "\n");
}

void CountWhatItHolds(Build& build) {
    ExportedCounts& counts = build.result.counts;
    counts.joints = build.Actor().jointCount;
    counts.meshes = static_cast<long long>(build.mesh.primitives.size());
    counts.unusedVertices = build.counts.unusedVertices;
    for (const tinygltf::Primitive& primitive : build.mesh.primitives) {
        counts.vertices += build.model.accessors[static_cast<size_t>(primitive.attributes.at("POSITION"))].count;
        counts.triangles += build.model.accessors[static_cast<size_t>(primitive.indices)].count / 3;
    }
}

// What the model must be for glTF to hold it, and the clip asked for.
bool Exportable(const LoadedModel& model, const ExportRequest& request, Diagnostics& diagnostics) {
    const brmath::Actor& actor = *model.actor;
    if (actor.jointCount > 65536) {
        diagnostics.push_back(Error(model.mesh, std::to_string(actor.jointCount) +
                                                    " joints, more than glTF's 16-bit joint numbers can name"));
        return false;
    }
    if (request.clip >= actor.animationCount) {
        diagnostics.push_back(Error(model.mesh, NoClipText(request.clip, actor.animationCount)));
        return false;
    }
    return true;
}

}  // namespace

bool IsGltfOutput(const std::string& output, bool* binary) {
    std::string extension = fs::path(output).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(), [](unsigned char c) { return std::tolower(c); });
    *binary = extension == ".glb";
    return *binary || extension == ".gltf";
}

ExportResult ExportGltf(LoadedModel& loaded, FileSet& files, const ExportRequest& request) {
    ExportResult result;
    bool binary = false;
    if (!IsGltfOutput(request.output, &binary) || !Exportable(loaded, request, result.diagnostics)) return result;
    const ShownPose shown(*loaded.actor);
    SkinBindPose(loaded);
    Build build(loaded, files, request, result);
    build.model.asset.version = "2.0";
    build.model.asset.generator = "md5tool " BRMATH_VERSION_STRING;
    build.space.scale = request.scale;
    build.mesh.name = fs::path(loaded.mesh).stem().string();
    build.buffer.Reserve(BufferEstimate(*loaded.actor));
    const std::vector<float> inverseBinds = AddSkeleton(build);
    TextureWriter textures(build.model, build.buffer, files, request.output, binary || request.embed);
    AddPrimitives(build, textures);
    AddMeshNode(build, inverseBinds);
    AddAnimations(build);
    SayCounts(build);
    ReplaceNames(build);
    WriteFiles(build, binary, textures);
    CountWhatItHolds(build);
    result.ok = true;
    return result;
}

}  // namespace convert
