#include "gltf_animation.h"

#include <algorithm>
#include <array>
#include <set>

#include "loaded_model.h"

namespace convert {

namespace {

bool SameTransform(const Affine& a, const Affine& b) {
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            if (std::fabs(a.m[i][j] - b.m[i][j]) > 1e-6) return false;
        }
        if (std::fabs(a.t[i] - b.t[i]) > 1e-6 * (1 + std::fabs(b.t[i]))) return false;
    }
    return true;
}

using Poses = std::vector<std::vector<Affine>>;

// The clip's poses at every frame, the first repeated after the last.
Poses SamplePoses(brmath::Actor& actor, const std::vector<brmath::Matrix4>& start, int clip, const GltfSpace& space,
                  const ClipScales* scales) {
    for (int j = 0; j < actor.jointCount; ++j) actor.joints[j].matrix = start[static_cast<size_t>(j)];
    actor.SetAnimation(clip);
    Poses poses;
    for (int f = 0; f < actor.animations[clip].frameCount; ++f) {
        const bool scaled = scales != nullptr && static_cast<size_t>(f) < scales->frames.size() &&
                            !scales->frames[static_cast<size_t>(f)].empty();
        actor.EvaluatePose(f, scaled ? scales->frames[static_cast<size_t>(f)].data() : nullptr);
        poses.push_back(LocalTransforms(actor, JointMatrices(actor), space));
    }
    poses.push_back(poses.front());
    return poses;
}

// One joint's translations and rotations over the poses, the rotations kept in one
// hemisphere from key to key, so that interpolation takes the short way.
void JointKeys(const Poses& poses, size_t joint, std::vector<float>& translations, std::vector<float>& rotations) {
    std::array<double, 4> previous{0, 0, 0, 1};
    for (size_t f = 0; f < poses.size(); ++f) {
        const RigidParts parts = Decompose(poses[f][joint]);
        for (double c : parts.translation) translations.push_back(static_cast<float>(c));
        std::array<double, 4> r = parts.rotation;
        if (f > 0 && r[0] * previous[0] + r[1] * previous[1] + r[2] * previous[2] + r[3] * previous[3] < 0) {
            for (double& c : r) c = -c;
        }
        previous = r;
        for (double c : r) rotations.push_back(static_cast<float>(c));
    }
}

void AddChannels(tinygltf::Animation& animation, int node, int input, const int* outputs, const char* const* paths,
                 int count) {
    for (int k = 0; k < count; ++k) {
        tinygltf::AnimationSampler sampler;
        sampler.input = input;
        sampler.output = outputs[k];
        sampler.interpolation = "LINEAR";
        animation.samplers.push_back(sampler);
        tinygltf::AnimationChannel channel;
        channel.sampler = static_cast<int>(animation.samplers.size()) - 1;
        channel.target_node = node;
        channel.target_path = paths[k];
        animation.channels.push_back(channel);
    }
}

std::vector<bool> DrivenJoints(const brmath::Actor& actor, const brmath::Animation& clip) {
    std::vector<bool> driven(static_cast<size_t>(actor.jointCount), false);
    for (int t = 0; t < clip.trackCount; ++t) {
        if (clip.tracks[t].joint != nullptr) driven[static_cast<size_t>(clip.tracks[t].joint - actor.joints)] = true;
    }
    return driven;
}

}  // namespace

std::vector<Affine> LocalTransforms(const brmath::ModelRecords& skeleton, const std::vector<brmath::Matrix4>& matrices,
                                    const GltfSpace& space) {
    const size_t count = static_cast<size_t>(skeleton.jointCount);
    std::vector<Affine> locals(count);
    // Each parent's inverse once, however many children it has.
    std::vector<Affine> inverses(count);
    std::vector<bool> inverted(count, false);
    for (size_t j = 0; j < count; ++j) {
        const Affine global = FromMatrix(matrices[j]);
        const brmath::Joint* parent = skeleton.joints[j].parent;
        if (parent == nullptr) {
            locals[j] = space.Transform(global);
            continue;
        }
        const size_t p = static_cast<size_t>(parent->index);
        if (!inverted[p]) inverses[p] = Inverse(FromMatrix(matrices[p]));
        inverted[p] = true;
        locals[j] = space.Transform(Multiply(inverses[p], global));
    }
    return locals;
}

tinygltf::Animation MakeAnimation(brmath::Actor& actor, const std::vector<brmath::Matrix4>& start, int clip,
                                  const std::string& name, const std::vector<Affine>& rest, const GltfSpace& space,
                                  BufferWriter& buffer, int* undriven, const ClipScales* scales) {
    const brmath::Animation& frames = actor.animations[clip];
    const std::vector<bool> driven = DrivenJoints(actor, frames);
    *undriven = static_cast<int>(std::count(driven.begin(), driven.end(), false));
    const Poses poses = SamplePoses(actor, start, clip, space, scales);
    tinygltf::Animation animation;
    animation.name = name;
    const double rate = frames.frameRate > 0 ? frames.frameRate : 24;
    std::vector<float> times;
    for (int f = 0; f <= frames.frameCount; ++f) times.push_back(static_cast<float>(f / rate));
    int input = -1;
    for (size_t joint = 0; joint < driven.size(); ++joint) {
        bool moves = driven[joint];
        for (size_t f = 0; f < poses.size() && !moves; ++f) moves = !SameTransform(poses[f][joint], rest[joint]);
        if (!moves) continue;
        std::vector<float> translations, rotations;
        JointKeys(poses, joint, translations, rotations);
        if (input < 0) input = buffer.Add(times, TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_SCALAR, 1, 0, true);
        const int outputs[2] = {buffer.Add(translations, TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC3, 3, 0),
                                buffer.Add(rotations, TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC4, 4, 0)};
        const char* paths[2] = {"translation", "rotation"};
        AddChannels(animation, static_cast<int>(joint), input, outputs, paths, 2);
    }
    for (size_t h = 0; scales != nullptr && h < scales->joints.size(); ++h) {
        const size_t joint = static_cast<size_t>(scales->joints[h]);
        std::vector<float> values;
        bool changes = false;
        for (int f = 0; f <= frames.frameCount; ++f) {
            const auto& at = scales->frames[static_cast<size_t>(f % frames.frameCount)];
            const float s = at.empty() ? 1.0f : at[joint].scale;
            changes = changes || s != 1.0f;
            values.insert(values.end(), {s, s, s});
        }
        if (!changes) continue;
        if (input < 0) input = buffer.Add(times, TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_SCALAR, 1, 0, true);
        const int output = buffer.Add(values, TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC3, 3, 0);
        const char* path[1] = {"scale"};
        AddChannels(animation, scales->firstNode + static_cast<int>(h), input, &output, path, 1);
    }
    return animation;
}

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

}  // namespace convert
