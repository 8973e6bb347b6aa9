#include "game_model.h"

#include "quake_model.h"

namespace convert {

namespace {

GameModel FromDecl(GameBase& base, ModelDecl decl) {
    GameModel model;
    model.name = decl.name;
    model.declared = true;
    model.skin = decl.skin;
    model.hasOffset = decl.hasOffset;
    for (int axis = 0; axis < 3; ++axis) model.offset[axis] = decl.offset[axis];
    model.notes = std::move(decl.notes);
    if (decl.mesh.empty()) {
        model.failure = Error("", "model " + decl.name + " names no mesh");
        return model;
    }
    const std::string outside = PathOutsideBase(decl.mesh);
    if (!outside.empty() || !base.Has(decl.mesh)) {
        model.failure = Error(decl.meshFile, "mesh \"" + decl.mesh + "\" " + (outside.empty() ? "is not in the base" : outside),
                              decl.meshLine);
        return model;
    }
    model.mesh = decl.mesh;
    for (DeclaredClip& clip : decl.clips) {
        const std::string why = PathOutsideBase(clip.path);
        if (why.empty() && base.Has(clip.path)) {
            model.clips.push_back(std::move(clip));
        } else {
            const std::string said = why.empty() ? "is not in the base" : why;
            model.notes.push_back(Warning(clip.file, "anim " + clip.alias + ": \"" + clip.path + "\" " + said + "; left out", clip.line));
        }
    }
    model.found = true;
    return model;
}

// A model declaration by name; `failure` set when the game would refuse it.
bool Declared(GameBase& base, const DeclSet& decls, const std::string& name, GameModel* model) {
    ModelDecl decl;
    Diagnostic failure;
    if (!ReadModelDecl(decls, name, &decl, &failure)) {
        if (failure.text.empty()) return false;
        model->failure = failure;
        return true;
    }
    *model = FromDecl(base, std::move(decl));
    return true;
}

}  // namespace

std::string PathOutsideBase(const std::string& path) {
    const std::string name = NormalName(path);
    if (name.empty() || name[0] == '/' || (name.size() > 1 && name[1] == ':') ||
        ("/" + name + "/").find("/../") != std::string::npos) {
        return "leads outside the base";
    }
    return "";
}

GameModel ChooseModel(GameBase& base, const DeclSet& decls, const std::string& name) {
    GameModel model;
    if (ChooseQuakeModel(base, name, &model)) return model;
    if (Declared(base, decls, name, &model)) return model;
    EntityModel entity;
    if (ReadEntityModel(decls, name, &entity)) {
        if (!Declared(base, decls, entity.model, &model)) {
            model = GameModel{};
            model.name = entity.model;
            model.mesh = entity.model;
            model.found = PathOutsideBase(entity.model).empty() && base.Has(entity.model);
            if (!model.found) model.failure = Error("", "entityDef " + name + ": its model \"" + entity.model + "\" is not in the base");
        }
        if (!entity.skin.empty()) model.skin = entity.skin;
        return model;
    }
    if (PathOutsideBase(name).empty() && base.Has(name)) {
        model.found = true;
        model.name = name;
        model.mesh = name;
        return model;
    }
    model.failure = Error("", "no model declaration, entityDef or mesh named \"" + name + "\" in the base");
    return model;
}

}  // namespace convert
