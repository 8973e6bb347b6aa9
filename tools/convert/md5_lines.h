#pragma once

// Where an MD5 file's records stand, by line, so that a message can point at the one it
// is about: read from the text with nothing trusted, and 0 (the whole file) for a
// record it cannot find.
#include <string>
#include <vector>

namespace convert {

struct Md5Lines {
    int numJoints = 0, numFrames = 0, frameRate = 0, numAnimatedComponents = 0;
    std::vector<int> joints;               // each joint's line, or each hierarchy line of a clip
    std::vector<int> meshes;               // each "mesh {" line
    std::vector<std::vector<int>> vertices;  // each mesh's "vert" lines, by vertex number
    std::vector<int> numWeights;           // each mesh's "numweights" line
    int Joint(int j) const { return At(joints, j); }
    int Mesh(int m) const { return At(meshes, m); }
    int Vertex(int m, int v) const { return m >= 0 && static_cast<size_t>(m) < vertices.size() ? At(vertices[m], v) : 0; }
    int NumWeights(int m) const { return At(numWeights, m); }

private:
    static int At(const std::vector<int>& lines, int i) {
        return i >= 0 && static_cast<size_t>(i) < lines.size() ? lines[static_cast<size_t>(i)] : 0;
    }
};

// The lines of a .md5mesh's or .md5anim's text.
Md5Lines FindMd5Lines(const std::string& text);

}  // namespace convert
