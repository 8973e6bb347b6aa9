#include "base_listing.h"

#include <set>

#include "game_model.h"
#include "image_program.h"
#include "material_decl.h"
#include "quake_model.h"
#include "quake_skins.h"

namespace convert {

namespace {

// Counts an image argument's files and those the base has.
void CountImages(FileSet& files, const ImageExpr& image, ListedModel& listed) {
    if (image.program) {
        for (const ImageExpr& part : image.images) CountImages(files, part, listed);
        return;
    }
    std::string dds;
    ++listed.images;
    listed.imagesFound += FindGameImage(files, image.name, &dds).empty() ? 0 : 1;
}

void CountMaterials(GameBase& base, const DeclSet& decls, const std::string& skin, ListedModel& listed) {
    const std::string* text = base.Bytes(listed.mesh);
    if (text == nullptr) return;
    std::set<std::string> seen;
    for (const std::string& shader : MeshShaders(*text)) {
        const std::string material = SkinnedShader(decls, skin, shader);
        if (!seen.insert(DeclKey(material)).second) continue;
        const MaterialMaps maps = ReadMaterial(decls, material);
        ++listed.materials;
        listed.materialsFound += maps.declared ? 1 : 0;
        if (maps.hasDiffuse) CountImages(base, maps.diffuse, listed);
        if (maps.hasNormal) CountImages(base, maps.normal, listed);
        if (maps.hasSpecular) CountImages(base, maps.specular, listed);
    }
}

// A Quake model's skins: one a shader (Quake 2's one for the model), and those found.
void CountSkins(GameBase& base, const GameModel& game, ListedModel& listed) {
    const std::string* text = base.Bytes(listed.mesh);
    if (text == nullptr) return;
    std::set<std::string> seen;
    for (const std::string& shader : MeshShaders(*text)) {
        if (!seen.insert(game.quake == 2 ? "" : BaseKey(shader)).second) continue;
        ++listed.images;
        listed.imagesFound += FindQuakeSkin(base, game, shader).empty() ? 0 : 1;
    }
}

ListedModel Listed(GameBase& base, const DeclSet& decls, const std::string& name, const std::string& kind,
                   bool materials) {
    ListedModel listed;
    listed.name = name;
    listed.kind = kind;
    const GameModel game = ChooseModel(base, decls, name);
    if (!game.found) {
        listed.problem = MessageLine(game.failure);
        return listed;
    }
    listed.mesh = game.mesh;
    for (const DeclaredClip& clip : game.clips) listed.clips.push_back(clip.alias);
    if (!game.sequences.empty() && !game.clips.empty()) {
        listed.clips.clear();
        for (const FrameSequence& run : game.sequences) listed.clips.push_back(run.name);
    }
    if (materials && game.quake == 0) CountMaterials(base, decls, game.skin, listed);
    if (materials && game.quake != 0) CountSkins(base, game, listed);
    return listed;
}

}  // namespace

std::vector<std::string> MeshShaders(const std::string& text) {
    std::vector<std::string> shaders;
    for (size_t at = text.find("shader"); at != std::string::npos; at = text.find("shader", at + 6)) {
        const size_t open = text.find_first_not_of(" \t", at + 6);
        if (open == std::string::npos || text[open] != '"') continue;
        const size_t close = text.find_first_of("\"\n", open + 1);
        if (close == std::string::npos || text[close] != '"') continue;
        shaders.push_back(text.substr(open + 1, close - open - 1));
    }
    return shaders;
}

std::vector<ListedModel> ListBase(GameBase& base, const DeclSet& decls, bool meshesToo, bool materialsToo) {
    std::vector<ListedModel> models;
    std::set<std::string> used;
    for (const auto& [key, decl] : decls.OfType("model")) {
        models.push_back(Listed(base, decls, decl.name, "model", materialsToo));
        used.insert(BaseKey(models.back().mesh));
    }
    for (const auto& [key, decl] : decls.OfType("entitydef")) {
        EntityModel entity;
        if (!ReadEntityModel(decls, decl.name, &entity)) continue;
        models.push_back(Listed(base, decls, decl.name, "entityDef", materialsToo));
        models.back().entityModel = entity.model;
        used.insert(BaseKey(models.back().mesh));
    }
    for (const char* ending : {".mdl", ".md2"}) {
        for (const std::string& old : base.FilesUnder("", ending)) {
            GameModel game;
            if (!ChooseQuakeModel(base, old, &game) || !game.found) continue;
            models.push_back(Listed(base, decls, old, ending + 1, materialsToo));
            used.insert(BaseKey(models.back().mesh));
        }
    }
    if (!meshesToo) return models;
    for (const std::string& mesh : base.FilesUnder("", ".md5mesh")) {
        if (used.count(BaseKey(mesh)) == 0) models.push_back(Listed(base, decls, mesh, "mesh", materialsToo));
    }
    return models;
}

}  // namespace convert
