#pragma once

// What a game base holds, without loading any model: every model declaration, every
// entityDef with a model and every Quake model with an MD5 mesh, with its mesh, its clips and how many of its materials and
// images are there; the page adds the meshes no declaration names.
#include <string>
#include <vector>

#include "decl_set.h"
#include "game_base.h"

namespace convert {

struct ListedModel {
    std::string name;
    std::string kind;    // "model", "entityDef", "mdl" or "md2" (a Quake model), or "mesh"
    std::string entityModel;  // an entityDef's "model" key
    std::string mesh;    // empty when the declaration leads to none
    std::vector<std::string> clips;  // aliases, in order
    int materials = 0, materialsFound = 0;
    int images = 0, imagesFound = 0;  // a Quake model's: its skins
    std::string problem;  // why the game would refuse it, when it would
};

// `meshesToo` adds each mesh of the base that no listed declaration uses; without
// `materialsToo` the materials and images are not counted (which reads every mesh).
std::vector<ListedModel> ListBase(GameBase& base, const DeclSet& decls, bool meshesToo, bool materialsToo = true);

// The shaders a mesh's text names, in order, without reading the rest of it.
std::vector<std::string> MeshShaders(const std::string& text);

}  // namespace convert
