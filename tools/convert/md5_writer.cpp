#include "md5_writer.h"

#include <algorithm>
#include <cmath>

#include "math/quaternion.h"
#if BRMATH_FLOAT_TO_CHARS
#include <charconv>
#else
#include "float_text.h"
#endif

namespace convert {

namespace {

// The shortest text that reads back as the same float; "0" for either zero.
std::string Number(double value) {
    const float f = static_cast<float>(value);
    if (f == 0.0f || !std::isfinite(f)) return "0";
#if BRMATH_FLOAT_TO_CHARS
    char text[32];
    const auto result = std::to_chars(text, text + sizeof(text), f);
    return std::string(text, result.ptr);
#else
    return ShortestFloatText(f);
#endif
}

std::string Triple(const Md5Vector& v) { return "( " + Number(v[0]) + " " + Number(v[1]) + " " + Number(v[2]) + " )"; }

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

std::string Header(const std::string& commandline) { return "MD5Version 10\ncommandline " + Quoted(commandline) + "\n\n"; }

// How far the rotation the library reads from stored x, y, z (w completed as it
// completes it, in float) lies from the unit quaternion q's (whose w is not positive):
// the squared distance of the two quaternions, the read one made unit.
double RotationError(const std::array<float, 3>& xyz, const Md5Quaternion& q) {
    brmath::Quaternion stored;
    stored.SetFromXYZ(brmath::Vector3(xyz[0], xyz[1], xyz[2]));
    const double read[4] = {stored.x, stored.y, stored.z, stored.w};
    const double length = std::sqrt(read[0] * read[0] + read[1] * read[1] + read[2] * read[2] + read[3] * read[3]);
    double error = 0;
    for (size_t c = 0; c < 4; ++c) error += (read[c] / length - q[c]) * (read[c] / length - q[c]);
    return error;
}

// The components of a pose as the file writes them: Tx Ty Tz Qx Qy Qz. The
// orientation's x, y, z are chosen among the floats next to each (those of `keep`
// held at `kept`) for the rotation the library completes from them: near a half turn,
// where w is close to 0, one float step in x moves w by far more than a step. The
// nearest floats win a tie, and a rotation made from a file's numbers gets them back.
std::array<double, 6> Components(const Md5Pose& pose, unsigned keep = 0, const std::array<float, 3>& kept = {}) {
    const Md5Quaternion q = StoredOrientation(pose.orientation);
    std::array<std::array<float, 3>, 3> options;
    for (size_t c = 0; c < 3; ++c) {
        const float nearest = (keep >> c) & 1 ? kept[c] : static_cast<float>(q[c]);
        options[c] = {nearest, std::nextafter(nearest, -2.0f), std::nextafter(nearest, 2.0f)};
    }
    const auto count = [keep](unsigned c) { return (keep >> c) & 1 ? 1 : 3; };
    std::array<float, 3> best = {options[0][0], options[1][0], options[2][0]};
    double bestError = RotationError(best, q);
    for (int i = 0; i < count(0); ++i) {
        for (int j = 0; j < count(1); ++j) {
            for (int k = 0; k < count(2); ++k) {
                const std::array<float, 3> candidate = {options[0][i], options[1][j], options[2][k]};
                const double error = RotationError(candidate, q);
                if (error < bestError) {
                    best = candidate;
                    bestError = error;
                }
            }
        }
    }
    return {pose.position[0], pose.position[1], pose.position[2], best[0], best[1], best[2]};
}

}  // namespace

Md5Quaternion StoredOrientation(const Md5Quaternion& q) {
    const double length = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
    if (!(length > 0)) return {0, 0, 0, -1};
    const double sign = q[3] > 0 ? -1.0 : 1.0;
    return {sign * q[0] / length, sign * q[1] / length, sign * q[2] / length, sign * q[3] / length};
}

std::string WriteMd5Mesh(const Md5Model& model, const std::string& commandline) {
    std::string text = Header(commandline);
    text += "numJoints " + std::to_string(model.joints.size()) + "\nnumMeshes " + std::to_string(model.meshes.size()) +
            "\n\njoints {\n";
    for (const Md5Joint& joint : model.joints) {
        const std::array<double, 6> c = Components({joint.position, joint.orientation});
        text += "\t" + Quoted(joint.name) + "\t" + std::to_string(joint.parent) + " " + Triple(joint.position) + " " +
                Triple({c[3], c[4], c[5]}) + "\n";
    }
    text += "}\n";
    for (const Md5MeshBlock& mesh : model.meshes) {
        text += "\nmesh {\n\tshader " + Quoted(mesh.shader) + "\n\n\tnumverts " + std::to_string(mesh.vertices.size()) + "\n";
        size_t weightCount = 0;
        for (size_t v = 0; v < mesh.vertices.size(); ++v) {
            const Md5Vertex& vertex = mesh.vertices[v];
            text += "\tvert " + std::to_string(v) + " ( " + Number(vertex.u) + " " + Number(vertex.v) + " ) " +
                    std::to_string(weightCount) + " " + std::to_string(vertex.weights.size()) + "\n";
            weightCount += vertex.weights.size();
        }
        text += "\n\tnumtris " + std::to_string(mesh.triangles.size()) + "\n";
        for (size_t t = 0; t < mesh.triangles.size(); ++t) {
            const auto& corners = mesh.triangles[t];
            text += "\ttri " + std::to_string(t) + " " + std::to_string(corners[0]) + " " + std::to_string(corners[1]) +
                    " " + std::to_string(corners[2]) + "\n";
        }
        text += "\n\tnumweights " + std::to_string(weightCount) + "\n";
        size_t w = 0;
        for (const Md5Vertex& vertex : mesh.vertices) {
            for (const Md5Weight& weight : vertex.weights) {
                text += "\tweight " + std::to_string(w++) + " " + std::to_string(weight.joint) + " " + Number(weight.bias) +
                        " " + Triple(weight.position) + "\n";
            }
        }
        text += "}\n";
    }
    return text;
}

std::string WriteMd5Anim(const Md5Model& model, const Md5Clip& clip, const std::string& commandline) {
    const size_t joints = model.joints.size();
    // A component is animated when some frame's value differs from the base frame's by
    // more than the rounding that sampling leaves.
    std::vector<int> flags(joints, 0);
    for (size_t j = 0; j < joints; ++j) {
        const std::array<double, 6> base = Components(clip.frames[0][j]);
        for (const auto& frame : clip.frames) {
            const std::array<double, 6> values = Components(frame[j]);
            for (size_t c = 0; c < 6; ++c) {
                if (std::fabs(values[c] - base[c]) > 1e-6 * std::max(1.0, std::fabs(base[c]))) flags[j] |= 1 << c;
            }
        }
    }
    int animated = 0;
    for (int f : flags) {
        for (int c = 0; c < 6; ++c) animated += (f >> c) & 1;
    }
    std::string text = Header(commandline);
    text += "numFrames " + std::to_string(clip.frames.size()) + "\nnumJoints " + std::to_string(joints) +
            "\nframeRate " + std::to_string(clip.frameRate) + "\nnumAnimatedComponents " + std::to_string(animated) +
            "\n\nhierarchy {\n";
    int start = 0;
    for (size_t j = 0; j < joints; ++j) {
        text += "\t" + Quoted(model.joints[j].name) + "\t" + std::to_string(model.joints[j].parent) + " " +
                std::to_string(flags[j]) + " " + std::to_string(start) + "\n";
        for (int c = 0; c < 6; ++c) start += (flags[j] >> c) & 1;
    }
    text += "}\n\nbounds {\n";
    for (const auto& box : clip.bounds) text += "\t" + Triple(box[0]) + " " + Triple(box[1]) + "\n";
    text += "}\n\nbaseframe {\n";
    for (size_t j = 0; j < joints; ++j) {
        const std::array<double, 6> base = Components(clip.frames[0][j]);
        text += "\t" + Triple({base[0], base[1], base[2]}) + " " + Triple({base[3], base[4], base[5]}) + "\n";
    }
    text += "}\n";
    for (size_t f = 0; f < clip.frames.size(); ++f) {
        text += "\nframe " + std::to_string(f) + " {\n";
        for (size_t j = 0; j < joints; ++j) {
            if (flags[j] == 0) continue;
            // The reader completes w from this frame's animated components and the base
            // frame's others: the choice is made with those held.
            const std::array<double, 6> base = Components(clip.frames[0][j]);
            const std::array<float, 3> kept = {static_cast<float>(base[3]), static_cast<float>(base[4]),
                                               static_cast<float>(base[5])};
            const std::array<double, 6> values = Components(clip.frames[f][j], ~(flags[j] >> 3) & 7u, kept);
            text += "\t";
            for (int c = 0; c < 6; ++c) {
                if ((flags[j] >> c) & 1) text += Number(values[static_cast<size_t>(c)]) + " ";
            }
            text.back() = '\n';
        }
        text += "}\n";
    }
    return text;
}

}  // namespace convert
