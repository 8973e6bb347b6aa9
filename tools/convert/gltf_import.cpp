// glTF import's conversion: the joints of one skin as an MD5 skeleton in its bind
// pose (from the inverse bind matrices), the skin's meshes weighted in joint space,
// other meshes bound rigidly, the animations sampled into frames, all turned from
// glTF's y-up space into MD5's z-up space.
#include "gltf_import.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

#include "gltf_space.h"
#include "wording.h"

namespace convert {

namespace {

Affine ToAffine(const GltfMatrix& m) {
    Affine a{};
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) a.m[r][c] = m[static_cast<size_t>(4 * c + r)];
        a.t[r] = m[static_cast<size_t>(12 + r)];
    }
    return a;
}

// glTF's y-up space as MD5's z-up one, the inverse of export's turn: (X, Y, Z) to
// (X, -Z, Y), scaled.
constexpr int kAxis[3] = {0, 2, 1};
constexpr double kSign[3] = {1, -1, 1};

Affine ToMd5(const Affine& a, double scale) {
    Affine r{};
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) r.m[i][j] = kSign[i] * kSign[j] * a.m[kAxis[i]][kAxis[j]];
        r.t[i] = scale * kSign[i] * a.t[kAxis[i]];
    }
    return r;
}

Md5Vector Md5Point(double x, double y, double z, double scale) { return {scale * x, -scale * z, scale * y}; }

Md5Vector Apply(const Affine& a, const Md5Vector& p) {
    Md5Vector r{};
    for (int i = 0; i < 3; ++i) r[static_cast<size_t>(i)] = a.m[i][0] * p[0] + a.m[i][1] * p[1] + a.m[i][2] * p[2] + a.t[i];
    return r;
}

// The rotation and translation of a transform that may also scale: its columns made
// orthonormal (a scale along the axes leaves the rotation exact).
Affine Rigid(const Affine& a) {
    double c[3][3];
    for (int i = 0; i < 3; ++i) {
        for (int r = 0; r < 3; ++r) c[i][r] = a.m[r][i];
    }
    const auto normalize = [](double* v) {
        const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
        for (int k = 0; k < 3; ++k) v[k] = length > 0 ? v[k] / length : (k == 0 ? 1 : 0);
    };
    normalize(c[0]);
    const double along = c[1][0] * c[0][0] + c[1][1] * c[0][1] + c[1][2] * c[0][2];
    for (int k = 0; k < 3; ++k) c[1][k] -= along * c[0][k];
    normalize(c[1]);
    c[2][0] = c[0][1] * c[1][2] - c[0][2] * c[1][1];
    c[2][1] = c[0][2] * c[1][0] - c[0][0] * c[1][2];
    c[2][2] = c[0][0] * c[1][1] - c[0][1] * c[1][0];
    Affine r = a;
    for (int i = 0; i < 3; ++i) {
        for (int row = 0; row < 3; ++row) r.m[row][i] = c[i][row];
    }
    return r;
}

// The scale a transform applies along one of its axes: the column length farthest from one.
double ScaleOf(const Affine& a) {
    double farthest = 1;
    for (int i = 0; i < 3; ++i) {
        const double length = std::sqrt(a.m[0][i] * a.m[0][i] + a.m[1][i] * a.m[1][i] + a.m[2][i] * a.m[2][i]);
        if (std::fabs(length - 1) > std::fabs(farthest - 1)) farthest = length;
    }
    return farthest;
}

Md5Pose PoseOf(const Affine& rigid) {
    const RigidParts parts = Decompose(rigid);
    return {parts.translation, parts.rotation};
}

// The most an animation is sampled into: frames, and joint poses (frames x joints).
constexpr int kMaxFrames = 100000;
constexpr int kMaxJointPoses = 2000000;

// A name unique among `taken`, with a suffix _2, _3 when needed.
std::string Unique(const std::string& name, std::set<std::string>& taken) {
    std::string unique = name;
    for (int n = 2; taken.count(unique) != 0; ++n) unique = name + "_" + std::to_string(n);
    taken.insert(unique);
    return unique;
}

// A joint's or shader's name as an MD5 quoted text holds it: no quote, no line break.
std::string QuotedText(const std::string& name) {
    std::string text = name;
    for (char& c : text) c = c == '"' || static_cast<unsigned char>(c) < 0x20 ? '_' : c;
    return text;
}

// The joints' frames of one animation: every joint's model-space transform in MD5's
// space (`rigid`), and the same before its scale was left out (`full`).
struct SampledFrame {
    std::vector<Affine> rigid, full;
};

// A joint's scale-only child node, and whether it scales the joint's translation too.
struct ScaleChild {
    int node, joint;
    bool scalePositions;
};

class Converter {
public:
    Converter(const CheckedGltf& gltf, const ConversionOptions& options, Conversion& out)
        : gltf_(gltf), options_(options), out_(out) {}

    bool Run(std::string* error);

private:
    int ChooseSkin() const;
    void MakeSkeleton(int skin);
    int AddedRoot();
    int NearestJoint(int node) const;
    void AddMeshes(int skin);
    void AddMesh(int node, bool skinned);
    void AddAnimations();
    void FindScaleChildren(const std::map<int, size_t>& slot);
    std::vector<float> ScaleKeys(const CheckedAnimation& animation, const ScaleChild& child, int frames, int fps) const;
    Md5Scale ClipScale(const CheckedAnimation& animation, int frames, int fps) const;
    Md5Clip MakeClip(const std::vector<SampledFrame>& frames, int fps, bool scaled, const Md5Scale& scale,
                     double* scaleError, double* size) const;
    SampledFrame Sample(const CheckedAnimation* animation, double time) const;

    const CheckedGltf& gltf_;
    const ConversionOptions& options_;
    Conversion& out_;
    std::map<int, int> jointOfNode_;     // node index to MD5 joint
    std::vector<int> nodeOfJoint_;       // -1 for an added root
    std::vector<Affine> inverseBinds_;   // glTF's, a joint
    std::vector<Affine> binds_;          // MD5 model space, rigid
    std::vector<Affine> rests_;          // the joints' nodes at rest, MD5 model space, rigid
    std::set<std::string> jointNames_;
    // Scale-only children "JOINT.scale" (as export writes a .md5scale): they become no
    // joint; their weights are their joint's and their scale keys a .md5scale.
    std::vector<ScaleChild> scaleChildren_;
    std::set<int> scaleNodes_;
    int added_ = -1;
    int unweighted_ = 0;
};

int Converter::ChooseSkin() const {
    if (options_.skin >= 0) return options_.skin;
    std::vector<size_t> vertices(gltf_.skins.size(), 0);
    for (const CheckedNode& node : gltf_.nodes) {
        if (node.mesh < 0 || node.skin < 0) continue;
        for (const CheckedPrimitive& primitive : gltf_.meshes[static_cast<size_t>(node.mesh)].primitives) {
            vertices[static_cast<size_t>(node.skin)] += primitive.positions.size();
        }
    }
    if (vertices.empty()) return -1;
    return static_cast<int>(std::max_element(vertices.begin(), vertices.end()) - vertices.begin());
}

void Converter::MakeSkeleton(int skin) {
    if (skin < 0) return;
    const CheckedSkin& chosen = gltf_.skins[static_cast<size_t>(skin)];
    std::map<int, size_t> slot;  // node to its place in the skin
    for (size_t j = 0; j < chosen.joints.size(); ++j) slot.emplace(chosen.joints[j], j);
    const std::vector<GltfMatrix> rest = NodeGlobals(gltf_, nullptr, 0);
    double bindScale = 1;
    FindScaleChildren(slot);
    // Parents first: the nodes in tree order, each joint's parent the nearest joint above it.
    for (int node : gltf_.order) {
        const auto found = slot.find(node);
        if (found == slot.end() || scaleNodes_.count(node) != 0) continue;
        Md5Joint joint;
        const std::string& name = gltf_.nodes[static_cast<size_t>(node)].name;
        joint.name = Unique(QuotedText(name.empty() ? "joint" + std::to_string(node) : name), jointNames_);
        for (int up = gltf_.nodes[static_cast<size_t>(node)].parent; up >= 0; up = gltf_.nodes[static_cast<size_t>(up)].parent) {
            if (jointOfNode_.count(up) != 0) {
                joint.parent = jointOfNode_[up];
                break;
            }
        }
        const Affine inverseBind = ToAffine(chosen.inverseBinds[found->second]);
        const Affine bind = ToMd5(Inverse(inverseBind), options_.scale);
        const double scale = ScaleOf(bind);
        if (std::fabs(scale - 1) > std::fabs(bindScale - 1)) bindScale = scale;
        jointOfNode_[node] = static_cast<int>(out_.model.joints.size());
        nodeOfJoint_.push_back(node);
        inverseBinds_.push_back(inverseBind);
        binds_.push_back(Rigid(bind));
        rests_.push_back(Rigid(ToMd5(ToAffine(rest[static_cast<size_t>(node)]), options_.scale)));
        const Md5Pose pose = PoseOf(binds_.back());
        joint.position = pose.position;
        joint.orientation = pose.orientation;
        out_.model.joints.push_back(joint);
    }
    for (ScaleChild& child : scaleChildren_) {
        child.joint = jointOfNode_.at(gltf_.nodes[static_cast<size_t>(child.node)].parent);
        jointOfNode_[child.node] = child.joint;
    }
    if (std::fabs(bindScale - 1) > 1e-5) {
        out_.warnings.push_back("the bind pose scales its joints (by up to a factor of " + Shortly(bindScale) +
                                "): the scale is folded into the geometry");
    }
}

// The skin's joints that are another joint's scale-only child: named after it with
// ".scale", without children of their own.
void Converter::FindScaleChildren(const std::map<int, size_t>& slot) {
    for (const auto& [node, place] : slot) {
        const CheckedNode& child = gltf_.nodes[static_cast<size_t>(node)];
        if (child.parent < 0 || slot.count(child.parent) == 0 || !child.children.empty()) continue;
        if (child.name != gltf_.nodes[static_cast<size_t>(child.parent)].name + ".scale") continue;
        scaleChildren_.push_back({node, -1, child.md5ScalePositions == 1});
        scaleNodes_.insert(node);
    }
}

// A scale-only child's scale at each frame (its x; its rest scale where no key scales it).
std::vector<float> Converter::ScaleKeys(const CheckedAnimation& animation, const ScaleChild& child, int frames,
                                        int fps) const {
    std::vector<float> keys(static_cast<size_t>(frames), static_cast<float>(gltf_.nodes[static_cast<size_t>(child.node)].scale[0]));
    for (const CheckedChannel& channel : animation.channels) {
        if (channel.node != child.node || channel.path != ChannelPath::kScale) continue;
        for (int f = 0; f < frames; ++f) {
            keys[static_cast<size_t>(f)] = static_cast<float>(SampleChannel(channel, static_cast<float>(static_cast<double>(f) / fps))[0]);
        }
    }
    return keys;
}

// What the scale-only children scale over an animation's frames, as a .md5scale.
Md5Scale Converter::ClipScale(const CheckedAnimation& animation, int frames, int fps) const {
    Md5Scale scale;
    for (const ScaleChild& child : scaleChildren_) {
        ScaledJoint joint;
        joint.joint = child.joint;
        joint.scalePositions = child.scalePositions;
        const std::vector<float> keys = ScaleKeys(animation, child, frames, fps);
        for (int f = 0; f < frames; ++f) {
            if (keys[static_cast<size_t>(f)] != 1.0f) joint.frames[f] = keys[static_cast<size_t>(f)];
        }
        if (!joint.frames.empty()) scale.joints.push_back(std::move(joint));
    }
    return scale;
}

// A root joint at the origin for what no joint holds.
int Converter::AddedRoot() {
    if (added_ >= 0) return added_;
    Md5Joint joint;
    joint.name = Unique("origin", jointNames_);
    added_ = static_cast<int>(out_.model.joints.size());
    out_.model.joints.push_back(joint);
    nodeOfJoint_.push_back(-1);
    Affine identity{};
    for (int i = 0; i < 3; ++i) identity.m[i][i] = 1;
    inverseBinds_.push_back(identity);
    binds_.push_back(identity);
    rests_.push_back(identity);
    return added_;
}

int Converter::NearestJoint(int node) const {
    for (int up = node; up >= 0; up = gltf_.nodes[static_cast<size_t>(up)].parent) {
        const auto found = jointOfNode_.find(up);
        if (found != jointOfNode_.end()) return found->second;
    }
    return -1;
}

void Converter::AddMeshes(int skin) {
    int otherSkins = 0, morphTargets = 0, otherPrimitives = 0;
    for (size_t n = 0; n < gltf_.nodes.size(); ++n) {
        const CheckedNode& node = gltf_.nodes[n];
        if (node.mesh < 0) continue;
        if (node.skin >= 0 && node.skin != skin) {
            ++otherSkins;
            continue;
        }
        const CheckedMesh& mesh = gltf_.meshes[static_cast<size_t>(node.mesh)];
        otherPrimitives += mesh.otherPrimitives;
        for (const CheckedPrimitive& primitive : mesh.primitives) morphTargets += primitive.morphTargets;
        AddMesh(static_cast<int>(n), node.skin >= 0);
    }
    if (otherSkins > 0) {
        std::string others;
        for (size_t s = 0; s < gltf_.skins.size(); ++s) {
            if (static_cast<int>(s) != skin) others += (others.empty() ? "" : ", ") + std::to_string(s);
        }
        out_.warnings.push_back(std::to_string(otherSkins) + " meshes of other skins (" + others +
                                ") left out: the skeleton is skin " + std::to_string(skin) + "'s (--skin chooses)");
    }
    if (morphTargets > 0) out_.warnings.push_back(std::to_string(morphTargets) + " morph targets left out");
    if (otherPrimitives > 0) out_.warnings.push_back(std::to_string(otherPrimitives) + " primitives of points or lines left out");
    if (unweighted_ > 0) {
        out_.warnings.push_back(std::to_string(unweighted_) +
                                " vertices without a weight above zero, bound to their mesh node's nearest joint");
    }
}

void Converter::AddMesh(int node, bool skinned) {
    const CheckedNode& owner = gltf_.nodes[static_cast<size_t>(node)];
    int nearest = NearestJoint(node);
    if (nearest < 0) nearest = skinned && !out_.model.joints.empty() ? 0 : AddedRoot();
    // A mesh without a skin rides on its nearest joint as its node's transform places it.
    const Affine placed = ToMd5(ToAffine(NodeGlobals(gltf_, nullptr, 0)[static_cast<size_t>(node)]), options_.scale);
    const Affine fromRest = Inverse(rests_[static_cast<size_t>(nearest)]);
    const CheckedSkin* skin = skinned ? &gltf_.skins[static_cast<size_t>(owner.skin)] : nullptr;
    for (const CheckedPrimitive& primitive : gltf_.meshes[static_cast<size_t>(owner.mesh)].primitives) {
        if (primitive.indices.empty()) continue;
        Md5MeshBlock block;
        const int material = primitive.material;
        block.material = material;
        if (material >= 0) {
            const CheckedMaterial& entry = gltf_.materials[static_cast<size_t>(material)];
            block.shader = QuotedText(!entry.name.empty() ? entry.name : entry.baseColorImage);
        }
        const size_t influences = 4 * static_cast<size_t>(primitive.influenceSets);
        for (size_t v = 0; v < primitive.positions.size(); ++v) {
            const std::array<float, 3>& p = primitive.positions[v];
            Md5Vertex vertex;
            if (!primitive.texCoords.empty()) {
                vertex.u = primitive.texCoords[v][0];
                // glTF's v counts from the image's top, the file's from its bottom (a game's from its top).
                vertex.v = options_.gameTexCoords ? primitive.texCoords[v][1] : 1.0 - primitive.texCoords[v][1];
            }
            std::map<int, double> byJoint;
            for (size_t k = 0; skin != nullptr && k < influences; ++k) {
                const double weight = primitive.weights[v * influences + k];
                if (!(weight > 0)) continue;
                byJoint[jointOfNode_.at(skin->joints[primitive.joints[v * influences + k]])] += weight;
            }
            double sum = 0;
            for (const auto& entry : byJoint) sum += entry.second;
            if (skin != nullptr) {
                if (byJoint.empty()) ++unweighted_;
                const Md5Vector at = Md5Point(p[0], p[1], p[2], options_.scale);
                if (byJoint.empty()) {
                    // In the bind pose, relative to the mesh node's nearest joint.
                    vertex.weights.push_back({nearest, 1.0, Apply(Inverse(binds_[static_cast<size_t>(nearest)]), at)});
                }
                for (const auto& [joint, weight] : byJoint) {
                    vertex.weights.push_back({joint, weight / sum, Apply(Inverse(binds_[static_cast<size_t>(joint)]), at)});
                }
            } else {
                const Md5Vector at = Apply(placed, Md5Point(p[0], p[1], p[2], options_.scale));
                vertex.weights.push_back({nearest, 1.0, Apply(fromRest, at)});
            }
            block.vertices.push_back(vertex);
        }
        // glTF's front faces wind counter-clockwise about their normals, MD5's clockwise.
        for (size_t i = 0; i + 2 < primitive.indices.size(); i += 3) {
            block.triangles.push_back({static_cast<int>(primitive.indices[i]), static_cast<int>(primitive.indices[i + 2]),
                                       static_cast<int>(primitive.indices[i + 1])});
        }
        out_.model.meshes.push_back(block);
    }
}

SampledFrame Converter::Sample(const CheckedAnimation* animation, double time) const {
    const std::vector<GltfMatrix> global = NodeGlobals(gltf_, animation, time);
    SampledFrame frame;
    for (size_t j = 0; j < nodeOfJoint_.size(); ++j) {
        if (nodeOfJoint_[j] < 0) {
            frame.full.push_back(binds_[j]);
            frame.rigid.push_back(binds_[j]);
            continue;
        }
        // What the skin does to the bind pose, applied to the MD5 joint's bind pose.
        const Affine skinning = Multiply(ToAffine(global[static_cast<size_t>(nodeOfJoint_[j])]), inverseBinds_[j]);
        frame.full.push_back(Multiply(ToMd5(skinning, options_.scale), binds_[j]));
        frame.rigid.push_back(Rigid(frame.full.back()));
    }
    return frame;
}

namespace {

// The frame rate an animation is sampled at: the one asked for, else the rate its keys
// are evenly spaced at (a whole number from 1 to 1000), else 24. Sets its length and
// whether it animates scale (other than a scale-only child's).
int SampleRate(const CheckedAnimation& animation, const std::set<int>& scaleNodes, int asked, double* last, bool* scaled) {
    double gap = -1;
    bool even = true;
    *last = 0;
    *scaled = false;
    for (const CheckedChannel& channel : animation.channels) {
        *last = std::max(*last, static_cast<double>(channel.times.back()));
        *scaled = *scaled || (channel.path == ChannelPath::kScale && scaleNodes.count(channel.node) == 0);
        for (size_t k = 1; k < channel.times.size(); ++k) {
            const double step = static_cast<double>(channel.times[k]) - channel.times[k - 1];
            if (gap < 0) gap = step;
            even = even && std::fabs(step - gap) <= 1e-4 * std::max(gap, 1e-3);
        }
    }
    if (asked > 0) return asked;
    const double rate = gap > 0 ? 1 / gap : 0;
    return even && rate >= 1 && rate <= 1000 && std::fabs(rate - std::round(rate)) < 1e-3 * rate
               ? static_cast<int>(std::round(rate))
               : 24;
}

bool SameRigidPose(const std::vector<Affine>& x, const std::vector<Affine>& y) {
    for (size_t j = 0; j < x.size(); ++j) {
        for (int r = 0; r < 3; ++r) {
            for (int c = 0; c < 3; ++c) {
                if (std::fabs(x[j].m[r][c] - y[j].m[r][c]) > 1e-6) return false;
            }
            if (std::fabs(x[j].t[r] - y[j].t[r]) > 1e-6 * (1 + std::fabs(y[j].t[r]))) return false;
        }
    }
    return true;
}

// What leaving scale out costs at one frame: each vertex as the skin places it, against
// MD5; widens the posed model's box.
double ScaleError(const Md5Model& model, const SampledFrame& frame, Md5Vector& low, Md5Vector& high) {
    double error = 0;
    for (const Md5MeshBlock& block : model.meshes) {
        for (const Md5Vertex& vertex : block.vertices) {
            Md5Vector full{0, 0, 0}, rigid{0, 0, 0};
            for (const Md5Weight& weight : vertex.weights) {
                const Md5Vector a = Apply(frame.full[static_cast<size_t>(weight.joint)], weight.position);
                const Md5Vector b = Apply(frame.rigid[static_cast<size_t>(weight.joint)], weight.position);
                for (size_t k = 0; k < 3; ++k) {
                    full[k] += weight.bias * a[k];
                    rigid[k] += weight.bias * b[k];
                }
            }
            error = std::max(error, std::hypot(full[0] - rigid[0], full[1] - rigid[1], full[2] - rigid[2]));
            for (size_t k = 0; k < 3; ++k) {
                low[k] = std::min(low[k], rigid[k]);
                high[k] = std::max(high[k], rigid[k]);
            }
        }
    }
    return error;
}

}  // namespace

// Each frame's joints relative to their parents; with `scaled`, how far leaving scale
// out moves a vertex (*scaleError) against the posed model's size (*size).
Md5Clip Converter::MakeClip(const std::vector<SampledFrame>& frames, int fps, bool scaled, const Md5Scale& scale,
                            double* scaleError, double* size) const {
    Md5Clip clip;
    clip.frameRate = fps;
    *scaleError = 0;
    Md5Vector low{HUGE_VAL, HUGE_VAL, HUGE_VAL}, high{-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};  // the posed model
    for (const SampledFrame& frame : frames) {
        std::vector<Md5Pose> poses;
        for (size_t j = 0; j < frame.rigid.size(); ++j) {
            const int parent = out_.model.joints[j].parent;
            poses.push_back(PoseOf(parent < 0 ? frame.rigid[j]
                                              : Multiply(Inverse(frame.rigid[static_cast<size_t>(parent)]), frame.rigid[j])));
        }
        // A translation the .md5scale scales was keyed scaled: the file holds it unscaled.
        for (const ScaledJoint& joint : scale.joints) {
            const auto s = joint.frames.find(static_cast<int>(clip.frames.size()));
            if (!joint.scalePositions || s == joint.frames.end() || s->second == 0) continue;
            for (double& c : poses[static_cast<size_t>(joint.joint)].position) c /= s->second;
        }
        clip.frames.push_back(poses);
        if (scaled) *scaleError = std::max(*scaleError, ScaleError(out_.model, frame, low, high));
    }
    *size = std::hypot(high[0] - low[0], high[1] - low[1], high[2] - low[2]);
    return clip;
}

void Converter::AddAnimations() {
    std::set<std::string> names;
    for (size_t a = 0; a < gltf_.animations.size(); ++a) {
        const CheckedAnimation& animation = gltf_.animations[a];
        double last = 0;
        bool scaled = false;
        const int fps = SampleRate(animation, scaleNodes_, options_.fps, &last, &scaled);
        const std::string given = animation.name.empty() ? "animation" + std::to_string(a) : animation.name;
        const std::string name = Unique(SafeFileName(given), names);
        // An animation too long to sample is left out rather than filling memory.
        const double length = std::floor(last * fps + 1e-3) + 1;
        if (length > kMaxFrames || length * static_cast<double>(binds_.size()) > kMaxJointPoses) {
            out_.warnings.push_back("animation " + name + " is left out: " + Shortly(last) + " s at " +
                                    std::to_string(fps) + " frames a second is more than import samples (" +
                                    std::to_string(kMaxFrames) + " frames, " + std::to_string(kMaxJointPoses) +
                                    " joint poses)");
            continue;
        }
        std::vector<SampledFrame> frames;
        // Frame times as float, as key times are stored: a frame on a key samples that key.
        for (int f = 0; f < static_cast<int>(length); ++f) {
            frames.push_back(Sample(&animation, static_cast<float>(static_cast<double>(f) / fps)));
        }
        // A last frame that repeats the first only closes the loop, which the library's
        // wrap from the last frame to the first does.
        if (frames.size() > 1 && SameRigidPose(frames.back().rigid, frames.front().rigid)) frames.pop_back();
        double scaleError = 0, size = 0;
        Md5Scale scale = ClipScale(animation, static_cast<int>(frames.size()), fps);
        out_.clips.push_back(MakeClip(frames, fps, scaled, scale, &scaleError, &size));
        out_.clipScales.push_back(std::move(scale));
        out_.clipNames.push_back(name);
        // Said where it moves a vertex by more than a float holds at the model's size.
        const std::string moved = OfTheModelsSize(scaleError, size);
        if (scaled && !moved.empty()) {
            out_.warnings.push_back("animation " + name + " animates scale, which MD5 cannot hold: left out, which moves a "
                                    "vertex by up to " + moved);
        }
    }
}

bool Converter::Run(std::string* error) {
    const int skin = ChooseSkin();
    MakeSkeleton(skin);
    AddMeshes(skin);
    size_t triangles = 0;
    for (const Md5MeshBlock& block : out_.model.meshes) triangles += block.triangles.size();
    if (triangles == 0) {
        *error = "the model has no triangles";
        return false;
    }
    if (out_.model.joints.size() > 65536) {
        *error = "the skeleton has " + std::to_string(out_.model.joints.size()) + " joints, more than MD5 readers hold";
        return false;
    }
    AddAnimations();
    return true;
}

}  // namespace

std::string SafeFileName(const std::string& name) {
    std::string safe;
    for (const char c : name) {
        const bool kept = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
        safe += kept ? c : '_';
    }
    if (safe.empty()) safe = "model";
    if (safe.size() > 64) safe.resize(64);
    // Names Windows keeps for devices, in any case and with any extension.
    std::string upper = safe;
    for (char& c : upper) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    static const std::set<std::string> kDevices = {"CON", "PRN", "AUX", "NUL", "COM1", "COM2", "COM3", "COM4", "COM5",
                                                   "COM6", "COM7", "COM8", "COM9", "LPT1", "LPT2", "LPT3", "LPT4",
                                                   "LPT5", "LPT6", "LPT7", "LPT8", "LPT9"};
    if (kDevices.count(upper) != 0) safe += "_";
    return safe;
}

bool ConvertGltf(const CheckedGltf& gltf, const ConversionOptions& options, Conversion* conversion, std::string* error) {
    *conversion = Conversion();
    if (options.skin >= static_cast<int>(gltf.skins.size())) {
        *error = "there is no skin " + std::to_string(options.skin) + " (the file has " + std::to_string(gltf.skins.size()) + ")";
        return false;
    }
    return Converter(gltf, options, *conversion).Run(error);
}

}  // namespace convert
