#pragma once

// What a game's material gives a mesh: its diffuse, normal and specular images, from
// the short forms (diffusemap, bumpmap, specularmap) or the stages that blend them;
// every other keyword and stage is passed over. A skin may first put another shader in
// place of the mesh's.
#include <string>

#include "decl_set.h"
#include "image_program.h"

namespace convert {

struct MaterialMaps {
    std::string name;       // the material's, or the shader's when no material has it
    bool declared = false;  // else the shader is its own image
    std::string file;
    int line = 0;
    bool hasDiffuse = false, hasNormal = false, hasSpecular = false;
    ImageExpr diffuse, normal, specular;
    bool unsmoothedTangents = false;
    Diagnostics faults;  // an image argument that could not be read
};

MaterialMaps ReadMaterial(const DeclSet& decls, const std::string& shader);

// The shader a skin puts in place of `shader`: the first of its pairs that names it (or
// `*`) wins; the shader itself when none does or there is no such skin.
std::string SkinnedShader(const DeclSet& decls, const std::string& skin, const std::string& shader);

}  // namespace convert
