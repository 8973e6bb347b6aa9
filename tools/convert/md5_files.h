#pragma once

// glTF to MD5: a glTF model of a file set as the bytes of MD5 files, measured and
// checked by the library from memory.
#include <string>
#include <utility>
#include <vector>

#include "diagnostics.h"
#include "file_set.h"

namespace convert {

struct ImportRequest {
    std::string model;        // the .glb or .gltf in the set
    std::string name;         // the files' name, made safe; default: the model's file name
    int skin = -1;            // the skin whose joints become the skeleton; -1: the one with the most vertices
    int fps = 0;              // 1 to 1000; 0: the rate the keys are spaced at, else 24
    double scale = 1;         // model units a glTF metre, within ScaleInRange
    // Laid out as a game's mod: models/md5/NAME/, materials/NAME.mtr with the
    // material's maps as TGA images, def/NAME.def; texture v as the game reads it.
    bool mod = false;
    // Engines the files must fit (engine_target.h's names): weights trimmed and joints
    // ordered as each takes them, or the import refused with the limit named.
    std::vector<std::string> targets;
};

// A clip as the library numbers it when it reads the files.
struct ImportedClip {
    std::string file;
    int frames = 0;
    int frameRate = 0;
};

struct ImportResult {
    bool ok = false;
    bool badRequest = false;  // on failure: the request asked for what the model lacks (a skin)
    std::string name;         // the files' name: NAME.md5mesh, NAME_<animation>.md5anim
    // File name (no folder; a mod's, its path in the mod) and bytes: the mesh first,
    // then a clip an animation (then a mod's images, materials and declaration).
    std::vector<std::pair<std::string, std::string>> files;
    Diagnostics diagnostics;  // warnings and, on failure, the reason
    long long joints = 0, meshes = 0, vertices = 0, triangles = 0;
    std::vector<ImportedClip> clips;
};

// The commandline every file is stamped with: md5tool import with the options that
// shaped the files, so that any front end writes the same bytes.
std::string ImportCommandLine(const ImportRequest& request);

// Reads and checks the model, converts it, and poses what it wrote (in memory) for the
// clips' bounds.
ImportResult ImportMd5Files(FileSet& files, const ImportRequest& request);

}  // namespace convert
