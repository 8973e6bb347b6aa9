// A game's declarations as md5tool reads them: the input as a .def, a .mtr and a .skin
// of a base that holds the test rig, every model it declares chosen, loaded and lit.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "base_listing.h"
#include "decl_set.h"
#include "game_base.h"
#include "game_model.h"
#include "loaded_model.h"
#include "support/temp_folder.h"
#include "surface_maps.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string rig = BRMATH_TEST_DATA "/rig/";
    static const std::string mesh = brmath_test::ReadFileBytes(rig + "rig.md5mesh");
    static const std::string walk = brmath_test::ReadFileBytes(rig + "walk.md5anim");
    const std::string text(reinterpret_cast<const char*>(data), size);
    auto layer = std::make_unique<convert::MemoryLayer>("fuzz");
    layer->Add("def/fuzz.def", text);
    layer->Add("materials/fuzz.mtr", text);
    layer->Add("skins/fuzz.skin", text);
    layer->Add("models/rig.md5mesh", mesh);
    layer->Add("models/walk.md5anim", walk);
    convert::GameBase base;
    base.AddLayer(std::move(layer));
    convert::Diagnostics said;
    convert::DeclSet decls;
    decls.ReadBase(base, &said);
    const std::vector<convert::ListedModel> listed = convert::ListBase(base, decls, true);
    for (size_t m = 0; m < listed.size() && m < 4; ++m) {
        const convert::GameModel game = convert::ChooseModel(base, decls, listed[m].name);
        if (!game.found) continue;
        convert::LoadedModel model = convert::LoadGameModel(base, game);
        if (model.loaded) convert::ReadModelMaps(base, decls, *model.actor, game.skin);
    }
    return 0;
}
