#pragma once

// glTF import: a skinned glTF model as MD5 files, from its checked form.
#include <string>
#include <vector>

#include "gltf_checked.h"
#include "md5_scale.h"
#include "md5_writer.h"

namespace convert {

struct ConversionOptions {
    int skin = -1;     // the skin whose joints become the skeleton; -1: the one with the most vertices
    int fps = 0;       // frames a second the animations are sampled at; 0: their keys' rate, else 24
    double scale = 1;  // model units a glTF metre
    bool gameTexCoords = false;  // v as a game reads it, from the image's top as glTF's; else from its bottom
};

// The model and one clip an animation, with the animations' names and a warning line
// for each thing left out or changed; false with the reason when the model cannot be
// converted (no triangles, no such skin). Bounds are left empty: the library fills
// them by posing what is written.
struct Conversion {
    Md5Model model;
    std::vector<Md5Clip> clips;
    std::vector<std::string> clipNames;
    std::vector<Md5Scale> clipScales;  // one a clip: what scale-only joint children scale (often nothing)
    std::vector<std::string> warnings;
};
bool ConvertGltf(const CheckedGltf& gltf, const ConversionOptions& options, Conversion* conversion, std::string* error);

// A name that is a safe file name part on Windows and Linux: letters, digits, '-' and
// '_' kept, anything else '_'; never empty.
std::string SafeFileName(const std::string& name);

}  // namespace convert
