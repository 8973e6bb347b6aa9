#include <algorithm>
#include <cstdio>
#include <sstream>

#include "actor/actor.h"
#include "commands.h"
#include "md5/read_failure.h"

namespace md5tool {

namespace {

void PrintJoint(const brmath::Joint& joint, int depth, std::ostream& out) {
    out << "  " << std::string(static_cast<size_t>(depth) * 2, ' ') << joint.index << " " << joint.name << "\n";
    for (int c = 0; c < joint.childCount; ++c) PrintJoint(*joint.children[c], depth + 1, out);
}

std::string Point(float x, float y, float z) {
    char text[96];
    std::snprintf(text, sizeof(text), "(%g, %g, %g)", x, y, z);
    return text;
}

}  // namespace

std::string DescribeLoadFailure(const std::string& mesh) {
    brmath::Actor actor;
    brmath::ReadFailure failure;
    if (actor.LoadMesh(mesh.c_str(), &failure)) return mesh + ": loads";
    std::ostringstream text;
    text << mesh;
    if (failure.line > 0) text << ":" << failure.line;
    text << ": " << failure.message;
    return text.str();
}

int Info(const std::string& mesh, std::ostream& out, std::ostream& err) {
    brmath::Actor actor;
    brmath::ReadFailure failure;
    if (!actor.LoadMesh(mesh.c_str(), &failure)) {
        err << "md5tool: " << mesh << (failure.line > 0 ? ":" + std::to_string(failure.line) : "") << ": "
            << failure.message << "\n";
        return kBadInput;
    }
    out << mesh << ": " << actor.jointCount << " joints, " << actor.meshCount << " meshes, " << actor.animationCount
        << " clips\n";

    out << "joints:\n";
    for (int j = 0; j < actor.jointCount; ++j) {
        if (actor.joints[j].parent == nullptr) PrintJoint(actor.joints[j], 0, out);
    }

    out << "meshes:\n";
    float low[3] = {1e30f, 1e30f, 1e30f}, high[3] = {-1e30f, -1e30f, -1e30f};
    for (int m = 0; m < actor.meshCount; ++m) {
        const brmath::Mesh& item = actor.meshes[m];
        out << "  " << m << " \"" << item.shader << "\": " << item.vertexCount << " vertices, " << item.triangleCount
            << " triangles, " << item.weightCount << " weights\n";
        for (int v = 0; v < item.vertexCount; ++v) {
            const brmath::Vector3& p = item.vertices[v].position;
            const float c[3] = {p.x, p.y, p.z};
            for (int k = 0; k < 3; ++k) {
                low[k] = std::min(low[k], c[k]);
                high[k] = std::max(high[k], c[k]);
            }
        }
    }

    out << "clips:\n";
    if (actor.animationCount == 0) out << "  none (no .md5anim file beside the mesh)\n";
    for (int a = 0; a < actor.animationCount; ++a) {
        const brmath::Animation& clip = actor.animations[a];
        out << "  " << a << " " << clip.name << ": " << clip.frameCount << " frames at " << clip.frameRate << " fps, "
            << clip.trackCount << " tracks\n";
    }
    if (low[0] <= high[0]) {
        out << "bind pose bounds: " << Point(low[0], low[1], low[2]) << " to " << Point(high[0], high[1], high[2]) << "\n";
    } else {
        out << "bind pose bounds: none (no vertices)\n";
    }
    return kSuccess;
}

}  // namespace md5tool
