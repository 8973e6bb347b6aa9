#include "md5_lines.h"

#include <sstream>

namespace convert {

Md5Lines FindMd5Lines(const std::string& text) {
    Md5Lines lines;
    std::istringstream in(text);
    std::string line, block;
    for (int number = 1; std::getline(in, line); ++number) {
        line = line.substr(0, line.find("//"));
        std::istringstream words(line);
        std::string word;
        if (!(words >> word)) continue;
        if (word == "}") {
            block.clear();
        } else if (block == "joints" || block == "hierarchy") {
            lines.joints.push_back(number);
        } else if (word == "numJoints") {
            lines.numJoints = number;
        } else if (word == "numFrames") {
            lines.numFrames = number;
        } else if (word == "frameRate") {
            lines.frameRate = number;
        } else if (word == "numAnimatedComponents") {
            lines.numAnimatedComponents = number;
        } else if (word == "joints" || word == "hierarchy") {
            block = word;
        } else if (word == "mesh") {
            lines.meshes.push_back(number);
            lines.vertices.emplace_back();
            lines.numWeights.push_back(0);
        } else if (word == "vert" && !lines.vertices.empty()) {
            long index = -1;
            std::vector<int>& vertices = lines.vertices.back();
            // Numbers far past those seen are not followed: a hostile file gets no large table.
            if (words >> index && index >= 0 && static_cast<size_t>(index) < vertices.size() + 65536) {
                if (static_cast<size_t>(index) >= vertices.size()) vertices.resize(static_cast<size_t>(index) + 1, 0);
                vertices[static_cast<size_t>(index)] = number;
            }
        } else if (word == "numweights" && !lines.numWeights.empty()) {
            lines.numWeights.back() = number;
        }
    }
    return lines;
}

}  // namespace convert
