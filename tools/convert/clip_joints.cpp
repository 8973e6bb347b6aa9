#include "clip_joints.h"

#include <cstdlib>

#include "decl_lexer.h"

namespace convert {

bool ReadHierarchy(const std::string& clipText, const std::string& clipName, std::vector<HierarchyEntry>* entries) {
    entries->clear();
    const size_t hierarchy = clipText.find("hierarchy");
    const size_t end = hierarchy == std::string::npos ? std::string::npos : clipText.find('}', hierarchy);
    if (end == std::string::npos) return false;
    const Tokens tokens = Tokenize(clipName, clipText.substr(0, end + 1));
    const std::vector<Token>& t = tokens.tokens;
    size_t at = 0;
    while (at < t.size() && t[at].text != "hierarchy") ++at;
    for (at += 2; at + 3 < t.size() && t[at].quoted; at += 4) {  // past "hierarchy {"
        entries->push_back({t[at].text, std::strtol(t[at + 1].text.c_str(), nullptr, 10),
                            std::strtol(t[at + 2].text.c_str(), nullptr, 10)});
    }
    return true;
}

bool ClipJointsMatch(const std::string& clipText, const brmath::ModelRecords& mesh, const std::string& meshName,
                     const std::string& clipName, std::string* why) {
    std::vector<HierarchyEntry> joints;
    if (!ReadHierarchy(clipText, clipName, &joints)) {
        *why = "its joint hierarchy cannot be read";
        return false;
    }
    for (size_t j = 0; j < joints.size() && j < static_cast<size_t>(mesh.jointCount); ++j) {
        const brmath::Joint& own = mesh.joints[j];
        if (joints[j].name.substr(0, brmath::kJointNameSize - 1) != own.name || joints[j].parent != own.parentIndex) {
            *why = "joint " + std::to_string(j) + " is \"" + joints[j].name + "\" (parent " + std::to_string(joints[j].parent) +
                   ") where " + meshName + " has \"" + own.name + "\" (parent " + std::to_string(own.parentIndex) + ")";
            return false;
        }
    }
    if (static_cast<int>(joints.size()) != mesh.jointCount) {
        *why = "Model '" + meshName + "' has different # of joints than anim '" + clipName + "' (" +
               std::to_string(mesh.jointCount) + " against " + std::to_string(joints.size()) + ")";
        return false;
    }
    return true;
}

}  // namespace convert
