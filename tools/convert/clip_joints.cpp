#include "clip_joints.h"

#include <cstdlib>

#include "decl_lexer.h"

namespace convert {

bool ClipJointsMatch(const std::string& clipText, const brmath::ModelRecords& mesh, const std::string& meshName,
                     const std::string& clipName, std::string* why) {
    // Only the clip's head is read: its frames can run to megabytes.
    const size_t hierarchy = clipText.find("hierarchy");
    const size_t end = hierarchy == std::string::npos ? std::string::npos : clipText.find('}', hierarchy);
    if (end == std::string::npos) {
        *why = "its joint hierarchy cannot be read";
        return false;
    }
    const Tokens tokens = Tokenize(clipName, clipText.substr(0, end + 1));
    const std::vector<Token>& t = tokens.tokens;
    size_t at = 0;
    while (at < t.size() && t[at].text != "hierarchy") ++at;
    at += 2;  // "hierarchy {"
    int joint = 0;
    for (; at + 3 < t.size() && t[at].quoted; at += 4, ++joint) {
        const long parent = std::strtol(t[at + 1].text.c_str(), nullptr, 10);
        if (joint >= mesh.jointCount) break;
        const brmath::Joint& own = mesh.joints[joint];
        if (t[at].text.substr(0, brmath::kJointNameSize - 1) != own.name || parent != own.parentIndex) {
            *why = "joint " + std::to_string(joint) + " is \"" + t[at].text + "\" (parent " + std::to_string(parent) +
                   ") where " + meshName + " has \"" + own.name + "\" (parent " + std::to_string(own.parentIndex) + ")";
            return false;
        }
    }
    for (; at + 3 < t.size() && t[at].quoted; at += 4) ++joint;
    if (joint != mesh.jointCount) {
        *why = "Model '" + meshName + "' has different # of joints than anim '" + clipName + "' (" +
               std::to_string(mesh.jointCount) + " against " + std::to_string(joint) + ")";
        return false;
    }
    return true;
}

}  // namespace convert
