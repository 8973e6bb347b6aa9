#include "surface_maps.h"

#include <map>
#include <set>

#include "material_decl.h"
#include "quake_skins.h"

namespace convert {

namespace {

struct MapResult {
    std::string text;
    bool found = false;
    RgbaImage image;
};

// Builds one map of a material, saying what it could not find; the programs not built
// are gathered for one warning a material.
MapResult BuildMap(FileSet& files, const MaterialMaps& material, bool has, const ImageExpr& image, RgbaImage fallback,
                   Diagnostics& warnings, std::set<std::string>& notBuilt) {
    MapResult result;
    result.image = std::move(fallback);
    if (!has) return result;
    result.text = image.Text();
    ImageBuild build = BuildImage(files, image);
    for (const std::string& missing : build.missing) {
        const bool itself = !image.program && DeclKey(image.name) == DeclKey(material.name) && material.declared;
        warnings.push_back(Warning(material.declared ? material.file : material.name,
                                   "material " + material.name + ": " + missing + (itself ? " (it names itself)" : ""),
                                   material.line));
    }
    notBuilt.insert(build.notBuilt.begin(), build.notBuilt.end());
    if (build.built) {
        result.found = true;
        result.image = std::move(build.image);
    }
    return result;
}

SurfaceMaps BuildSurface(FileSet& files, const MaterialMaps& material, Diagnostics& warnings) {
    SurfaceMaps surface;
    surface.material = material.name;
    surface.declared = material.declared;
    std::set<std::string> notBuilt;
    MapResult diffuse =
        BuildMap(files, material, material.hasDiffuse, material.diffuse, SolidImage(255, 255, 255), warnings, notBuilt);
    MapResult normal =
        BuildMap(files, material, material.hasNormal, material.normal, SolidImage(128, 128, 255), warnings, notBuilt);
    MapResult specular =
        BuildMap(files, material, material.hasSpecular, material.specular, SolidImage(0, 0, 0), warnings, notBuilt);
    if (!notBuilt.empty()) {
        std::string names;
        for (const std::string& program : notBuilt) names += (names.empty() ? "" : ", ") + program;
        const bool one = notBuilt.size() == 1;
        warnings.push_back(Warning(material.declared ? material.file : material.name,
                                   "material " + material.name + ": image program" + (one ? " " : "s ") + names +
                                       (one ? " is not built; its first image stands for it"
                                            : " are not built; their first images stand for them"),
                                   material.line));
    }
    surface.diffuseText = diffuse.text;
    surface.normalText = normal.text;
    surface.specularText = specular.text;
    surface.diffuseFound = diffuse.found;
    surface.normalFound = normal.found;
    surface.specularFound = specular.found;
    surface.diffuse = std::move(diffuse.image);
    surface.normal = std::move(normal.image);
    surface.specular = std::move(specular.image);
    return surface;
}

}  // namespace

RgbaImage SolidImage(uint8_t r, uint8_t g, uint8_t b) {
    RgbaImage image;
    image.width = image.height = 1;
    image.pixels = {r, g, b, 255};
    return image;
}

ModelMaps ReadModelMaps(FileSet& files, const DeclSet& decls, const brmath::ModelRecords& model, const std::string& skin) {
    ModelMaps maps;
    std::map<std::string, size_t> built;  // material key -> the first mesh that has it
    for (int m = 0; m < model.meshCount; ++m) {
        const std::string shader = SkinnedShader(decls, skin, model.meshes[m].shader);
        const auto done = built.find(DeclKey(shader));
        if (done != built.end()) {
            maps.meshes.push_back(maps.meshes[done->second]);
        } else {
            built.emplace(DeclKey(shader), maps.meshes.size());
            const MaterialMaps material = ReadMaterial(decls, shader);
            maps.warnings.insert(maps.warnings.end(), material.faults.begin(), material.faults.end());
            maps.meshes.push_back(BuildSurface(files, material, maps.warnings));
        }
        const SurfaceMaps& surface = maps.meshes.back();
        maps.materials += surface.declared ? 1 : 0;
        for (const auto& [text, found] : {std::pair{&surface.diffuseText, surface.diffuseFound},
                                          std::pair{&surface.normalText, surface.normalFound},
                                          std::pair{&surface.specularText, surface.specularFound}}) {
            maps.imagesNamed += text->empty() ? 0 : 1;
            maps.images += found ? 1 : 0;
        }
    }
    return maps;
}

ModelMaps ReadGameModelMaps(FileSet& files, const DeclSet& decls, const GameModel& game, const brmath::ModelRecords& model) {
    return game.quake != 0 ? ReadQuakeMaps(files, game, model) : ReadModelMaps(files, decls, model, game.skin);
}

}  // namespace convert
