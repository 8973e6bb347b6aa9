#include "quake_skins.h"

#include <map>

#include "paletted_image.h"

namespace convert {

namespace {

const char* const kPalette = "gfx/palette.lmp";

bool EndsWith(const std::string& text, const std::string& ending) {
    return text.size() >= ending.size() && BaseKey(text.substr(text.size() - ending.size())) == ending;
}

// The name without its extension, when it has one.
std::string Stem(const std::string& name) {
    const size_t dot = name.rfind('.');
    return dot == std::string::npos || dot < name.rfind('/') + 1 ? name : name.substr(0, dot);
}

std::string FirstPresent(FileSet& files, const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        if (files.Has(name)) return name;
    }
    return "";
}

// The candidates for a Quake skin: each folder's name in each extension.
std::vector<std::string> QuakeCandidates(const std::string& name) {
    std::vector<std::string> names;
    for (const char* folder : {"", "progs/", "textures/"}) {
        for (const char* extension : {".png", ".tga", ".jpg", ".pcx", ".lmp"}) names.push_back(folder + name + extension);
    }
    return names;
}

struct Skin {
    std::string file, glowFile;  // the glow's file: the skin's own for full brights
    RgbaImage lit, glow;
    bool glows = false;
};

// Reads one skin file, expanding an 8-bit one with its palette (and Quake's full
// brights); false with why.
bool ReadSkin(FileSet& files, const std::string& file, bool fullBrights, Skin* skin, std::string* why) {
    std::string refused;
    const std::string* bytes = files.Bytes(file, &refused);
    if (bytes == nullptr) {
        *why = refused.empty() ? "cannot be read" : refused;
        return false;
    }
    skin->file = file;
    const bool lmp = EndsWith(file, ".lmp");
    if (!lmp && !EndsWith(file, ".pcx")) return DecodeImage(*bytes, &skin->lit, why);
    PalettedImage image;
    if (!(lmp ? DecodeLmp(*bytes, &image, why) : DecodePcx(*bytes, &image, why))) return false;
    std::string palette = image.palette;
    if (lmp) {
        const std::string* game = files.Bytes(kPalette);
        if (game == nullptr || game->size() < kPaletteSize) {
            *why = std::string("needs the game's palette, and ") + kPalette + (game == nullptr ? " is not there" : " is short");
            return false;
        }
        palette = *game;
    }
    ExpandPalette(image, palette, fullBrights, &skin->lit, &skin->glow, &skin->glows);
    if (skin->glows) skin->glowFile = file;
    return true;
}

// The skin as a mesh's maps, named by its file (else by `missing`).
SurfaceMaps SurfaceOf(const Skin& skin, const std::string& missing) {
    SurfaceMaps surface;
    surface.material = skin.file.empty() ? missing : skin.file;
    surface.diffuseText = skin.file;
    surface.diffuseFound = !skin.file.empty();
    surface.diffuse = skin.file.empty() ? SolidImage(255, 255, 255) : skin.lit;
    surface.normal = SolidImage(128, 128, 255);
    surface.specular = SolidImage(0, 0, 0);
    if (skin.glows) {
        surface.emissiveFound = true;
        surface.emissiveText = skin.glowFile;
        surface.emissive = skin.glow;
    }
    return surface;
}

std::string QuakeSkinName(const std::string& shader) { return Stem(NormalName(shader)) + "_00_00"; }

std::string Quake2SkinFile(FileSet& files, const std::string& listed) {
    const std::string stem = Stem(listed);
    return FirstPresent(files, {stem + ".png", stem + ".jpg", stem + ".tga", listed});
}

// Quake's skin for a shader, with its glow.
Skin QuakeSkin(FileSet& files, const std::string& shader, Diagnostics& warnings) {
    Skin skin;
    const std::string name = QuakeSkinName(shader);
    const std::string file = FirstPresent(files, QuakeCandidates(name));
    std::string why;
    if (file.empty()) {
        warnings.push_back(Warning(shader, "skin " + name + " is not in the base (.png, .tga, .jpg, .pcx or .lmp, "
                                                               "beside it, in progs/ or textures/)"));
        return skin;
    }
    if (!ReadSkin(files, file, true, &skin, &why)) {
        warnings.push_back(Warning(file, why));
        return Skin{};
    }
    if (skin.glows) return skin;
    for (const char* suffix : {"_glow", "_luma"}) {
        const std::string glow = FirstPresent(files, {Stem(file) + suffix + ".png", Stem(file) + suffix + ".tga",
                                                      Stem(file) + suffix + ".jpg"});
        Skin shine;
        if (glow.empty()) continue;
        if (ReadSkin(files, glow, false, &shine, &why)) {
            skin.glow = std::move(shine.lit);
            skin.glows = true;
            skin.glowFile = glow;
        } else {
            warnings.push_back(Warning(glow, why));
        }
        break;
    }
    return skin;
}

// Quake 2's first skin, its 32-bit copies first.
Skin Quake2Skin(FileSet& files, const GameModel& game, Diagnostics& warnings) {
    Skin skin;
    if (game.skins.empty()) {
        warnings.push_back(Warning(game.oldModel.empty() ? game.mesh : game.oldModel, "lists no skin"));
        return skin;
    }
    const std::string& listed = game.skins.front();
    const std::string file = Quake2SkinFile(files, listed);
    std::string why;
    if (file.empty()) {
        warnings.push_back(Warning(game.oldModel, "skin " + listed + " is not in the base"));
    } else if (!ReadSkin(files, file, false, &skin, &why)) {
        warnings.push_back(Warning(file, why));
        return Skin{};
    }
    return skin;
}

}  // namespace

std::string FindQuakeSkin(FileSet& files, const GameModel& game, const std::string& shader) {
    if (game.quake == 2) return game.skins.empty() ? "" : Quake2SkinFile(files, game.skins.front());
    return FirstPresent(files, QuakeCandidates(QuakeSkinName(shader)));
}

ModelMaps ReadQuakeMaps(FileSet& files, const GameModel& game, const brmath::ModelRecords& model) {
    ModelMaps maps;
    const Skin quake2 = game.quake == 2 ? Quake2Skin(files, game, maps.warnings) : Skin{};
    std::map<std::string, SurfaceMaps> built;  // by shader
    for (int m = 0; m < model.meshCount; ++m) {
        const std::string shader = game.quake == 2 ? "" : model.meshes[m].shader;
        auto found = built.find(shader);
        if (found == built.end()) {
            const Skin skin = game.quake == 2 ? quake2 : QuakeSkin(files, shader, maps.warnings);
            found = built.emplace(shader, SurfaceOf(skin, game.quake == 2 ? game.mesh : shader)).first;
            maps.imagesNamed += 1;
            maps.images += found->second.diffuseFound ? 1 : 0;
        }
        maps.meshes.push_back(found->second);
    }
    return maps;
}

}  // namespace convert
