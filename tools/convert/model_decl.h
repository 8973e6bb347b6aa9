#pragma once

// A `model` declaration of a game's .def files, with what it inherits: its mesh, its
// clips by alias, its skin and offset. An entityDef finds its model by its "model" key.
#include <string>
#include <vector>

#include "decl_set.h"

namespace convert {

// The deepest chain of `inherit` followed.
constexpr int kInheritLimit = 16;

struct DeclaredClip {
    std::string alias;
    std::string path;  // the first path, in the base
    std::string file;  // where the anim line is
    int line = 0;
};

struct ModelDecl {
    std::string name;
    std::string mesh;  // in the base; empty when no declaration in the chain names one
    std::string meshFile;
    int meshLine = 0;
    std::string skin;
    bool hasOffset = false;
    float offset[3] = {0, 0, 0};
    std::vector<DeclaredClip> clips;  // in declaration order, inherited ones first
    Diagnostics notes;                // what was passed over
};

// The model declaration `name` and the chain it inherits; false with why when the game
// would refuse it (a token it does not know, a cycle, an anim before a mesh, ...).
bool ReadModelDecl(const DeclSet& decls, const std::string& name, ModelDecl* model, Diagnostic* failure);

struct EntityModel {
    std::string model;  // the "model" key: a model declaration's name or a mesh path
    std::string skin;   // the "skin" key, when given
};

// An entityDef's keys, with those its `inherit` keys fill in; false when it has no "model".
bool ReadEntityModel(const DeclSet& decls, const std::string& name, EntityModel* entity);

}  // namespace convert
