#include "command_support.h"

#include <filesystem>
#include <system_error>

#include "game_folders.h"
#include "gltf_space.h"
#include "wording.h"

namespace md5tool {

void PrintDiagnostics(const convert::Diagnostics& diagnostics, std::ostream& stream) {
    for (const convert::Diagnostic& diagnostic : diagnostics) stream << convert::MessageLine(diagnostic) << "\n";
}

convert::LoadedModel LoadForCommand(ModelFiles& files, const std::string& model, std::ostream& said, std::ostream& err) {
    std::error_code code;
    files.fromBase = !files.bases.empty() && !std::filesystem::is_regular_file(std::filesystem::u8path(model), code);
    convert::LoadedModel loaded;
    if (!files.fromBase) {
        loaded = convert::LoadModel(files.disk, model);
    } else if (OpenBases(files.bases, &files.base, err)) {
        convert::Diagnostics declared;
        files.decls.ReadBase(files.base, &declared);
        files.game = convert::ChooseModel(files.base, files.decls, model);
        if (files.game.found) loaded = convert::LoadGameModel(files.base, files.game);
        PrintDiagnostics(files.base.Messages(), said);
        PrintDiagnostics(declared, said);
        if (!files.game.found) {
            PrintDiagnostics(files.game.notes, said);
            loaded.failure = files.game.failure;
            if (loaded.failure.file.empty()) loaded.failure.file = model;
        }
    } else {
        return loaded;
    }
    PrintDiagnostics(loaded.warnings, said);
    if (!loaded.loaded) PrintDiagnostics({loaded.failure}, err);
    return loaded;
}

bool ClipByName(const convert::LoadedModel& model, const std::string& name, int* clip, std::ostream& err) {
    if (name.empty()) return true;
    for (size_t c = 0; c < model.clipNames.size(); ++c) {
        if (model.clipNames[c] == name) {
            *clip = static_cast<int>(c);
            return true;
        }
    }
    err << model.mesh << ": error: no clip named \"" << name << "\"\n";
    return false;
}

std::string NoClipMessage(const std::string& mesh, long long clip, int clips) {
    return mesh + ": error: " + convert::NoClipText(clip, clips);
}

bool ScaleOption(double scale, std::ostream& err) {
    if (convert::ScaleInRange(scale)) return true;
    err << "md5tool: --scale wants a number from 1e-6 to 1e6\n";
    return false;
}

}  // namespace md5tool
