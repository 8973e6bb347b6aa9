// A glTF model as the bytes of MD5 files, the clips' bounds from the library posing
// what was written: the conversion behind md5tool import and the web module.
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include <sstream>

#include "actor/actor.h"
#include "gltf_import.h"
#include "gltf_input.h"
#include "gltf_space.h"
#include "md5_files.h"
#include "message_lines.h"
#include "model_loading.h"
#include "output_file.h"
#include "posed_box.h"
#include "wording.h"
#include "tinygltf_settings.h"

namespace md5tool {

namespace {

namespace fs = std::filesystem;

// A folder of the system's that is removed with what it holds.
class ScratchFolder {
public:
    ScratchFolder() {
        std::error_code code;
        const fs::path base = fs::temp_directory_path(code);
        for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
            const fs::path candidate = base / ("md5tool-import-" + std::to_string(std::rand()) + std::to_string(attempt));
            if (fs::create_directory(candidate, code)) path_ = candidate;
        }
    }
    ~ScratchFolder() {
        std::error_code code;
        if (!path_.empty()) fs::remove_all(path_, code);
    }
    const fs::path& Path() const { return path_; }

private:
    fs::path path_;
};

// Every clip's per-frame bounds, from the library posing the files written to `folder`.
bool FillBounds(const fs::path& folder, const std::string& name, Conversion& conversion, std::string* error) {
    brmath::Actor actor;
    const std::string mesh = (folder / (name + ".md5mesh")).string();
    const LoadOutcome loaded = LoadMeshReporting(actor, mesh);
    if (!loaded.loaded || actor.animationCount != static_cast<int>(conversion.clips.size())) {
        *error = "the library does not read what was written: " + (loaded.loaded ? "a clip left out" : loaded.reason);
        return false;
    }
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
    return true;
}

std::vector<std::pair<std::string, std::string>> Files(const fs::path& folder, const std::string& name,
                                                       const Conversion& conversion, const std::string& commandline) {
    std::vector<std::pair<std::string, std::string>> files;
    files.emplace_back((folder / (name + ".md5mesh")).string(), WriteMd5Mesh(conversion.model, commandline));
    for (size_t c = 0; c < conversion.clips.size(); ++c) {
        Md5Clip clip = conversion.clips[c];
        clip.bounds.resize(clip.frames.size());
        files.emplace_back((folder / (name + "_" + conversion.clipNames[c] + ".md5anim")).string(),
                           WriteMd5Anim(conversion.model, clip, commandline));
    }
    return files;
}

// The files' commandline: the command with the options that shaped them.
std::string CommandLine(const ImportOptions& options) {
    std::ostringstream line;
    line << "md5tool import " << fs::u8path(options.model).filename().string();
    if (!options.name.empty()) line << " --name " << options.name;
    if (options.skinGiven) line << " --skin " << options.skin;
    if (options.fps > 0) line << " --fps " << options.fps;
    if (options.scale != 1) line << " --scale " << options.scale;
    std::string text = line.str();
    for (char& c : text) c = c == '"' || static_cast<unsigned char>(c) < 0x20 ? '_' : c;  // it is written quoted
    return text;
}

}  // namespace

ImportResult ImportMd5Files(const ImportOptions& options) {
    ImportResult result;
    std::ostringstream err;  // the messages, one a line
    const auto finish = [&](int status) { return Finished(std::move(result), status, err.str()); };
    if (!IsGltfPath(options.model)) {
        err << "md5tool: import reads a .glb or .gltf file, not \"" << options.model << "\"\n";
        return finish(kBadUsage);
    }
    if (options.fps < 0 || options.fps > 1000) {
        err << "md5tool: --fps wants 1 to 1000 frames a second\n";
        return finish(kBadUsage);
    }
    if (!ScaleInRange(options.scale, err)) return finish(kBadUsage);
    if (options.skin < -1 || (options.skinGiven && options.skin < 0)) {
        err << "md5tool: --skin wants a skin's number, from 0, not " << options.skin << "\n";
        return finish(kBadUsage);
    }
    const std::string name = SafeFileName(options.name.empty() ? fs::u8path(options.model).stem().string() : options.name);
    tinygltf::Model parsed;
    CheckedGltf gltf;
    std::string error;
    if (!ReadGltfFile(options.model, &parsed, &error) || !CheckGltf(parsed, &gltf, &error)) {
        err << options.model << ": error: " << error << "\n";
        return finish(kBadInput);
    }
    if (options.skin >= static_cast<int>(gltf.skins.size())) {
        err << options.model << ": error: no skin " << options.skin << " (it has " << Counted(gltf.skins.size(), "skin", "skins")
            << ")\n";
        return finish(kBadUsage);
    }
    ConversionOptions conversionOptions;
    conversionOptions.skin = options.skin;
    conversionOptions.fps = options.fps;
    conversionOptions.scale = options.scale;
    Conversion conversion;
    if (!ConvertGltf(gltf, conversionOptions, &conversion, &error)) {
        err << options.model << ": error: " << error << "\n";
        return finish(kBadInput);
    }
    for (const std::string& warning : conversion.warnings) err << options.model << ": warning: " << warning << "\n";

    // Written once where the library can pose it for the bounds, then all together.
    const std::string commandline = CommandLine(options);
    ScratchFolder scratch;
    if (scratch.Path().empty() || !WriteOutputs(Files(scratch.Path(), name, conversion, commandline), &error) ||
        !FillBounds(scratch.Path(), name, conversion, &error)) {
        // The scratch copy is md5tool's own business: the message names the destination.
        const std::string scratchFolder = scratch.Path().string() + "/";
        for (size_t at = error.find(scratchFolder); at != std::string::npos; at = error.find(scratchFolder)) {
            error.replace(at, scratchFolder.size(), (fs::u8path(options.folder) / "").string());
        }
        err << options.model << ": error: "
            << (error.empty() ? "no temporary folder to pose the files in" : error + " (a copy made to pose the files)")
            << "\n";
        return finish(kBadInput);
    }
    result.name = name;
    result.files = Files(fs::path(), name, conversion, commandline);

    size_t vertices = 0, triangles = 0;
    for (const Md5MeshBlock& block : conversion.model.meshes) {
        vertices += block.vertices.size();
        triangles += block.triangles.size();
    }
    std::ostringstream counts;
    counts << Counted(conversion.model.joints.size(), "joint", "joints") << ", "
           << Counted(conversion.model.meshes.size(), "mesh", "meshes") << ", " << Counted(vertices, "vertex", "vertices")
           << ", " << Counted(triangles, "triangle", "triangles");
    result.counts = counts.str();
    // The clips as the library numbers them.
    brmath::Actor actor;
    const std::string mesh = (scratch.Path() / (name + ".md5mesh")).string();
    const LoadOutcome loaded = LoadMeshReporting(actor, mesh);
    const std::vector<std::string> files = LoadedClipFiles(mesh, loaded, actor.animationCount);
    for (int c = 0; c < actor.animationCount; ++c) {
        std::ostringstream clip;
        clip << "clip " << c << ": " << (static_cast<size_t>(c) < files.size() ? files[static_cast<size_t>(c)] : actor.animations[c].name)
            << ", " << Counted(actor.animations[c].frameCount, "frame", "frames") << " at " << actor.animations[c].frameRate
            << " fps";
        result.clips.push_back(clip.str());
    }
    return finish(kSuccess);
}

}  // namespace md5tool
