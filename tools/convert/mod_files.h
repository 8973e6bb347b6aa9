#pragma once

// An imported model as a game's mod lays it out: the mesh and its clips under
// models/md5/NAME/, a material a glTF material in materials/NAME.mtr with its diffuse,
// normal and specular maps as TGA images beside the mesh, and def/NAME.def declaring
// `model NAME` with an anim alias a clip.
#include <string>
#include <utility>
#include <vector>

#include "diagnostics.h"
#include "file_set.h"
#include "gltf_import.h"
#include "tinygltf_settings.h"

namespace convert {

using NamedFiles = std::vector<std::pair<std::string, std::string>>;

// The folder of a mod's model: "models/md5/NAME/".
std::string ModFolder(const std::string& name);

// Names each block's shader after its material as the mod declares it.
void NameModShaders(const tinygltf::Model& gltf, const std::string& name, Conversion& conversion);

// The mod's files: `md5` (the mesh, then the clips, by bare name) moved into the
// model's folder, with the materials, their images and the declaration. Images that
// cannot be carried over are said.
NamedFiles ModFiles(const tinygltf::Model& gltf, FileSet& files, const std::string& model, const std::string& name,
                    const Conversion& conversion, NamedFiles md5, Diagnostics* diagnostics);

}  // namespace convert
