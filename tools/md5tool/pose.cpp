#include <cmath>
#include <cstdio>
#include <map>
#include <nlohmann/json.hpp>

#include "actor/actor.h"
#include "commands.h"
#include "command_support.h"
#include "utf8_text.h"
#include "wording.h"
#include "software_device.h"

namespace md5tool {

using convert::Counted;
using convert::SoftwareDevice;
using convert::StreamVertex;

namespace {

// JSON whose numbers are single-precision floats, written in their shortest form that
// reads back as the same float; non-finite values become the strings "nan", "inf", "-inf".
using Json = nlohmann::basic_json<std::map, std::vector, std::string, bool, std::int64_t, std::uint64_t, float>;

Json Number(float value) {
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
    return value;
}

Json Numbers(const float* values, int count) {
    Json array = Json::array();
    for (int i = 0; i < count; ++i) array.push_back(Number(values[i]));
    return array;
}

Json Vector(const brmath::Vector3& v) {
    const float values[3] = {v.x, v.y, v.z};
    return Numbers(values, 3);
}

Json State(brmath::Actor& actor, const char* label, int frame, bool posed) {
    Json state;
    state["frame"] = posed ? Json(frame) : Json(nullptr);
    state["pose"] = label;
    Json joints = Json::array();
    for (int j = 0; j < actor.jointCount; ++j) {
        const brmath::Joint& joint = actor.joints[j];
        joints.push_back({{"name", joint.name}, {"parent", joint.parentIndex}, {"matrix", Numbers(joint.matrix.m, 16)}});
    }
    state["joints"] = joints;
    Json meshes = Json::array();
    for (int m = 0; m < actor.meshCount; ++m) {
        const brmath::Mesh& mesh = actor.meshes[m];
        Json vertices = Json::array();
        for (int v = 0; v < mesh.vertexCount; ++v) {
            const brmath::MeshVertex& vertex = mesh.vertices[v];
            const float texCoord[2] = {vertex.texCoord.x, vertex.texCoord.y};
            vertices.push_back({{"position", Vector(vertex.position)},
                                {"normal", Vector(vertex.normal)},
                                {"tangent", Vector(vertex.tangent)},
                                {"bitangent", Vector(vertex.bitangent)},
                                {"tangentNormal", Vector(vertex.tangentNormal)},
                                {"texCoord", Numbers(texCoord, 2)}});
        }
        meshes.push_back({{"shader", mesh.shader}, {"vertices", vertices}});
    }
    state["meshes"] = meshes;

    SoftwareDevice device;
    const int result = actor.Render(device.Device());
    Json calls = Json::array();
    for (const convert::DeviceCall& call : device.calls) {
        if (!call.draw) {
            calls.push_back({{"call", "SetVertexShader"}, {"handle", call.handle}});
            continue;
        }
        Json vertices = Json::array();
        for (uint32_t t = 0; t < call.primitiveCount; ++t) {
            for (const StreamVertex& corner : device.triangles[call.firstTriangle + t].corners) {
                vertices.push_back(Numbers(corner.position, 8));
            }
        }
        calls.push_back({{"call", "DrawPrimitiveUP"},
                         {"primitiveType", call.primitiveType},
                         {"primitiveCount", call.primitiveCount},
                         {"stride", call.stride},
                         {"vertices", vertices}});
    }
    state["render"] = {{"result", result}, {"calls", calls}};
    return state;
}

void PrintText(brmath::Actor& actor, const char* label, std::ostream& out) {
    out << label << ":\n  joints (translation of each matrix):\n";
    char line[160];
    for (int j = 0; j < actor.jointCount; ++j) {
        const float* m = actor.joints[j].matrix.m;
        std::snprintf(line, sizeof(line), "    %3d %-20s (%.6g, %.6g, %.6g)\n", j, actor.joints[j].name, m[12], m[13],
                      m[14]);
        out << line;
    }
    for (int m = 0; m < actor.meshCount; ++m) {
        const brmath::Mesh& mesh = actor.meshes[m];
        out << "  mesh " << m << " \"" << mesh.shader << "\": " << Counted(mesh.vertexCount, "vertex", "vertices");
        if (mesh.vertexCount > 0) {
            const brmath::Vector3& p = mesh.vertices[0].position;
            const brmath::Vector3& n = mesh.vertices[0].normal;
            std::snprintf(line, sizeof(line), ", vertex 0 at (%.6g, %.6g, %.6g) facing (%.4g, %.4g, %.4g)", p.x, p.y,
                          p.z, n.x, n.y, n.z);
            out << line;
        }
        out << "\n";
    }
}

}  // namespace

int Pose(const PoseOptions& given, std::ostream& out, std::ostream& err) {
    PoseOptions options = given;
    ModelFiles files;
    files.bases = options.bases;
    convert::LoadedModel model = LoadForCommand(files, options.mesh, err, err);
    if (!model.loaded || !ClipByName(model, options.clipName, &options.clip, err)) return kBadInput;
    brmath::Actor& actor = *model.actor;
    if (!options.frames.empty() || options.clipGiven) {
        if (!actor.SetAnimation(options.clip)) {
            err << NoClipMessage(options.mesh, options.clip, actor.animationCount) << "\n";
            return kBadInput;
        }
    }
    const std::vector<std::string>& names = model.clipNames;
    const std::string clipName = actor.animationCount > 0 ? names[static_cast<size_t>(actor.currentAnimation)] : "";
    Json states = Json::array();
    const auto emit = [&](const std::string& label, int frame, bool posed) {
        if (options.json) {
            states.push_back(State(actor, label.c_str(), frame, posed));
        } else {
            PrintText(actor, label.c_str(), out);
        }
    };
    if (options.frames.empty()) {
        emit("as loaded (vertices in the bind pose)", 0, false);
    } else {
        for (int frame : options.frames) {
            convert::ProceedAnimation(model, frame);
            emit("frame " + std::to_string(frame) + " of clip " + std::to_string(options.clip) + " (" + clipName + ")",
                 frame, true);
        }
    }
    if (options.json) {
        Json document = {{"mesh", options.mesh}, {"clip", options.clip}, {"clipName", clipName}, {"states", states}};
        std::string text;
        try {
            text = document.dump();
        } catch (const Json::type_error&) {  // said with the load's warnings
            text = document.dump(-1, ' ', false, Json::error_handler_t::replace);
        }
        out << text << "\n";
    }
    return kSuccess;
}

}  // namespace md5tool
