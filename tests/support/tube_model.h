#pragma once

#include <cstdint>
#include <string>

namespace brmath_test {

// Size of a generated tube model: `rings` rings of `segments` vertices along a spine of
// `joints` joints, three weights per vertex, split into `meshes` meshes; and a clip of
// `frames` frames that bends the spine.
struct TubeSize {
    int rings = 400;
    int segments = 250;
    int joints = 64;
    int meshes = 4;
    int frames = 200;
};

// The benchmark model: about 100 000 vertices, 200 000 triangles and 300 000 weights
// (28 MB of mesh text), 64 joints, one 200-frame clip.
inline TubeSize LargeTube() { return TubeSize{}; }

// Writes tube.md5mesh and wave.md5anim into `folder`; returns the mesh file's path.
std::string WriteTubeModel(const std::string& folder, const TubeSize& size);

// A tube model written into a folder of its own under the temporary folder, removed
// with it (for benchmarks, which write the large one once per run).
class TemporaryTube {
public:
    TemporaryTube(const std::string& name, const TubeSize& size);
    ~TemporaryTube();
    TemporaryTube(const TemporaryTube&) = delete;
    TemporaryTube& operator=(const TemporaryTube&) = delete;

    const std::string& Path() const { return path_; }
    int64_t Bytes() const { return bytes_; }

private:
    std::string folder_, path_;
    int64_t bytes_ = 0;
};

}  // namespace brmath_test
