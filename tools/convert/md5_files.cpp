// A glTF model as the bytes of MD5 files, the clips' bounds from the library posing
// what was written, all in memory.
#include "md5_files.h"

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "engine_fit.h"
#include "gltf_import.h"
#include "gltf_input.h"
#include "loaded_model.h"
#include "mod_files.h"
#include "tinygltf_settings.h"
#include "wording.h"

namespace convert {

namespace {

namespace fs = std::filesystem;

// Clip c's text, with its bounds as far as they are known (zero boxes before).
std::string ClipText(const Conversion& conversion, size_t c, const std::string& commandline) {
    Md5Clip clip = conversion.clips[c];
    clip.bounds.resize(clip.frames.size());
    return WriteMd5Anim(conversion.model, clip, commandline);
}

// The mesh first, then a clip an animation.
NamedFiles WrittenFiles(const std::string& name, const Conversion& conversion, const std::string& commandline) {
    NamedFiles files;
    files.emplace_back(name + ".md5mesh", WriteMd5Mesh(conversion.model, commandline));
    for (size_t c = 0; c < conversion.clips.size(); ++c) {
        files.emplace_back(name + "_" + conversion.clipNames[c] + ".md5anim", ClipText(conversion, c, commandline));
    }
    // After every clip, which stand at 1 to N.
    std::vector<std::string> joints;
    for (const Md5Joint& joint : conversion.model.joints) joints.push_back(joint.name);
    for (size_t c = 0; c < conversion.clipScales.size() && c < conversion.clips.size(); ++c) {
        if (conversion.clipScales[c].Empty()) continue;
        files.emplace_back(name + "_" + conversion.clipNames[c] + ".md5scale", WriteMd5Scale(conversion.clipScales[c], joints));
    }
    return files;
}

// Every clip's per-frame bounds, from the library posing the files written.
void FillBounds(LoadedModel& loaded, const std::string& name, Conversion& conversion) {
    brmath::Actor& actor = *loaded.actor;
    for (int c = 0; c < actor.animationCount; ++c) {
        const std::string clipName = actor.animations[c].name;
        const auto at = std::find_if(conversion.clipNames.begin(), conversion.clipNames.end(),
                                     [&](const std::string& n) { return name + "_" + n == clipName; });
        if (at == conversion.clipNames.end()) continue;
        Md5Clip& clip = conversion.clips[static_cast<size_t>(at - conversion.clipNames.begin())];
        actor.SetAnimation(c);
        clip.bounds.clear();
        for (int f = 0; f < actor.animations[c].frameCount; ++f) {
            actor.ProceedAnimation(f);
            const PosedBox box = PosedBoxOf(actor);
            clip.bounds.push_back({box.low, box.high});
        }
    }
}

// The counts, and the clips as the library numbered them.
void Count(ImportResult& result, const LoadedModel& loaded, const Conversion& conversion) {
    result.joints = static_cast<long long>(conversion.model.joints.size());
    result.meshes = static_cast<long long>(conversion.model.meshes.size());
    for (const Md5MeshBlock& block : conversion.model.meshes) {
        result.vertices += static_cast<long long>(block.vertices.size());
        result.triangles += static_cast<long long>(block.triangles.size());
    }
    const brmath::Actor& actor = *loaded.actor;
    for (int c = 0; c < actor.animationCount; ++c) {
        const std::string file = static_cast<size_t>(c) < loaded.clipFiles.size() ? loaded.clipFiles[static_cast<size_t>(c)]
                                                                                 : actor.animations[c].name;
        result.clips.push_back({file, actor.animations[c].frameCount, actor.animations[c].frameRate});
    }
}

}  // namespace

std::string ImportCommandLine(const ImportRequest& request) {
    std::ostringstream line;
    line << "md5tool import " << fs::u8path(request.model).filename().string();
    if (!request.name.empty()) line << " --name " << request.name;
    if (request.skin >= 0) line << " --skin " << request.skin;
    if (request.fps > 0) line << " --fps " << request.fps;
    if (request.scale != 1) line << " --scale " << request.scale;
    if (request.mod) line << " --mod";
    for (const std::string& target : request.targets) line << " --target " << target;
    std::string text = line.str();
    for (char& c : text) c = c == '"' || static_cast<unsigned char>(c) < 0x20 ? '_' : c;  // it is written quoted
    return text;
}

ImportResult ImportMd5Files(FileSet& files, const ImportRequest& request) {
    ImportResult result;
    const auto fail = [&](const std::string& why) {
        result.diagnostics.push_back(Error(request.model, why));
        return result;
    };
    tinygltf::Model parsed;
    CheckedGltf gltf;
    std::string error;
    if (!ReadGltfFile(files, request.model, &parsed, &error) || !CheckGltf(parsed, &gltf, &error)) return fail(error);
    if (request.skin >= static_cast<int>(gltf.skins.size())) {
        result.badRequest = true;
        return fail("no skin " + std::to_string(request.skin) + " (it has " + Counted(gltf.skins.size(), "skin", "skins") + ")");
    }
    Conversion conversion;
    if (!ConvertGltf(gltf, {request.skin, request.fps, request.scale, request.mod}, &conversion, &error)) return fail(error);
    for (const std::string& target : request.targets) {
        const EngineTarget* engine = FindEngineTarget(target);
        if (engine == nullptr) return fail("no target named " + target);
        if (!FitToTarget(*engine, conversion, &error)) return fail(error);
    }
    for (const std::string& warning : conversion.warnings) result.diagnostics.push_back(Warning(request.model, warning));

    const std::string commandline = ImportCommandLine(request);
    result.name = SafeFileName(request.name.empty() ? fs::u8path(request.model).stem().string() : request.name);
    if (request.mod) NameModShaders(parsed, result.name, conversion);
    NamedFiles md5 = WrittenFiles(result.name, conversion, commandline);
    MemoryFiles written;
    for (const auto& [file, bytes] : md5) written.Add(file, bytes);
    LoadedModel loaded = LoadModel(written, result.name + ".md5mesh");
    if (!loaded.loaded || loaded.actor->animationCount != static_cast<int>(conversion.clips.size())) {
        return fail("the library does not read what was written: " +
                    (loaded.loaded ? std::string("a clip left out") : loaded.failure.text));
    }
    FillBounds(loaded, result.name, conversion);
    // The clips written again with their bounds; the mesh stays as it was written.
    for (size_t c = 0; c < conversion.clips.size(); ++c) md5[c + 1].second = ClipText(conversion, c, commandline);
    result.files = request.mod ? ModFiles(parsed, files, request.model, result.name, conversion, std::move(md5),
                                          &result.diagnostics)
                               : std::move(md5);
    Count(result, loaded, conversion);
    result.ok = true;
    return result;
}

}  // namespace convert
