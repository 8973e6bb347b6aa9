// md5tool list: a game base's models as the game declares them.
#include <nlohmann/json.hpp>

#include "base_listing.h"
#include "command_support.h"
#include "commands.h"
#include "game_folders.h"

namespace md5tool {

namespace {

using Json = nlohmann::ordered_json;

Json AsJson(const convert::ListedModel& model) {
    Json entry = {{"name", model.name}, {"kind", model.kind}};
    if (!model.entityModel.empty()) entry["model"] = model.entityModel;
    if (!model.problem.empty()) {
        entry["problem"] = model.problem;
        return entry;
    }
    entry["mesh"] = model.mesh;
    entry["clips"] = model.clips;
    if (model.kind == "mdl" || model.kind == "md2") {
        entry["skins"] = {{"found", model.imagesFound}, {"named", model.images}};
        return entry;
    }
    entry["materials"] = {{"found", model.materialsFound}, {"named", model.materials}};
    entry["images"] = {{"found", model.imagesFound}, {"named", model.images}};
    return entry;
}

// "monster_imp: models/md5/monsters/imp/imp.md5mesh; clips idle, walk; materials 1 of 1, images 3 of 3", and
// "progs/ogre.mdl: progs/ogre.md5mesh; clips stand, walk; skins 1 of 1"
std::string AsLine(const convert::ListedModel& model) {
    std::string line = model.name;
    if (model.kind == "entityDef") line += " (entityDef, model " + model.entityModel + ")";
    if (!model.problem.empty()) return line + ": " + model.problem;
    line += ": " + model.mesh + "; clips";
    for (size_t c = 0; c < model.clips.size(); ++c) line += (c > 0 ? ", " : " ") + model.clips[c];
    if (model.clips.empty()) line += " beside the mesh";
    if (model.kind == "mdl" || model.kind == "md2") {
        return line + "; skins " + std::to_string(model.imagesFound) + " of " + std::to_string(model.images);
    }
    return line + "; materials " + std::to_string(model.materialsFound) + " of " + std::to_string(model.materials) +
           ", images " + std::to_string(model.imagesFound) + " of " + std::to_string(model.images);
}

}  // namespace

int List(const ListOptions& options, std::ostream& out, std::ostream& err) {
    convert::GameBase base;
    if (!OpenBases(options.bases, &base, err)) return kBadInput;
    convert::Diagnostics said;
    convert::DeclSet decls;
    decls.ReadBase(base, &said);
    const std::vector<convert::ListedModel> models = convert::ListBase(base, decls, false);
    PrintDiagnostics(base.Messages(), err);
    PrintDiagnostics(said, err);
    if (options.json) {
        Json list = Json::array();
        for (const convert::ListedModel& model : models) list.push_back(AsJson(model));
        out << list.dump(2) << "\n";
    } else {
        for (const convert::ListedModel& model : models) out << AsLine(model) << "\n";
    }
    return kSuccess;
}

}  // namespace md5tool
