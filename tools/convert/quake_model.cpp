#include "quake_model.h"

namespace convert {

namespace {

bool EndsWith(const std::string& text, const std::string& ending) {
    return text.size() >= ending.size() && BaseKey(text.substr(text.size() - ending.size())) == ending;
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

std::string FileOf(const std::string& path) { return path.substr(path.rfind('/') + 1); }

// Reads the old model's frame names (and Quake 2's skins); one that cannot be read is a
// warning, and its MD5 file is then one clip.
void ReadOldModel(GameBase& base, GameModel* model) {
    std::string refused;
    const std::string* bytes = base.Bytes(model->oldModel, &refused);
    if (bytes == nullptr) {
        if (!refused.empty()) model->notes.push_back(Warning(model->oldModel, refused + "; the clip is not split"));
        model->oldModel.clear();
        return;
    }
    OldModel old;
    Diagnostic failure;
    const bool read = model->quake == 1 ? ReadMdl(*bytes, model->oldModel, &old, &failure)
                                        : ReadMd2(*bytes, model->oldModel, &old, &failure);
    if (!read) {
        model->notes.push_back(Warning(failure.file, failure.text + "; the clip is not split"));
        return;
    }
    model->sequences = FrameSequences(old.frames);
    const std::string md5Folder = FolderOf(model->oldModel) + "md5/";
    for (const std::string& skin : old.skins) model->skins.push_back(md5Folder + FileOf(NormalName(skin)));
}

}  // namespace

bool ChooseQuakeModel(GameBase& base, const std::string& given, GameModel* model) {
    std::string name = NormalName(given);
    if (EndsWith(name, ".md5mesh")) {
        name = QuakeModelOfMesh(base, name);
        if (name.empty()) return false;
    }
    const bool quake1 = EndsWith(name, ".mdl");
    if (!quake1 && !EndsWith(name, ".md2")) return false;
    *model = GameModel{};
    model->name = name;
    model->quake = quake1 ? 1 : 2;
    const std::string stem = name.substr(0, name.size() - 4);
    const std::string md5 = quake1 ? stem : FolderOf(stem) + "md5/" + FileOf(stem);
    model->mesh = md5 + ".md5mesh";
    if (!PathOutsideBase(name).empty() || !base.Has(model->mesh)) {
        model->failure = Error("", "\"" + name + "\" has no MD5 model: " + model->mesh + " is not in the base");
        return true;
    }
    model->found = true;
    model->declared = true;
    if (base.Has(md5 + ".md5anim")) model->clips.push_back({FileOf(stem), md5 + ".md5anim", "", 0});
    if (!quake1 && base.Has(md5 + ".md5scale")) model->scale = md5 + ".md5scale";
    if (base.Has(name)) {
        model->oldModel = name;
        ReadOldModel(base, model);
    }
    return true;
}

std::string QuakeModelOfMesh(GameBase& base, const std::string& mesh) {
    if (!EndsWith(mesh, ".md5mesh")) return "";
    const std::string stem = mesh.substr(0, mesh.size() - 8);
    if (base.Has(stem + ".mdl")) return stem + ".mdl";
    const std::string folder = FolderOf(stem);
    if (EndsWith(folder, "md5/")) {
        const std::string md2 = folder.substr(0, folder.size() - 4) + FileOf(stem) + ".md2";
        if (base.Has(md2)) return md2;
    }
    return "";
}

}  // namespace convert
