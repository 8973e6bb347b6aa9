// md5tool import: the options checked in md5tool's words, the conversion's messages on
// the error stream, its files written into the folder all together or not at all.
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "command_support.h"
#include "commands.h"
#include "gltf_input.h"
#include "md5_files.h"
#include "output_file.h"
#include "wording.h"

namespace md5tool {

using convert::Counted;

namespace {

namespace fs = std::filesystem;

bool ValidOptions(const ImportOptions& options, std::ostream& err) {
    if (!convert::IsGltfPath(options.model)) {
        err << "md5tool: import reads a .glb or .gltf file, not \"" << options.model << "\"\n";
        return false;
    }
    if (options.fps < 0 || options.fps > 1000) {
        err << "md5tool: --fps wants 1 to 1000 frames a second\n";
        return false;
    }
    if (!ScaleOption(options.scale, err)) return false;
    if (options.skin < -1 || (options.skinGiven && options.skin < 0)) {
        err << "md5tool: --skin wants a skin's number, from 0, not " << options.skin << "\n";
        return false;
    }
    return true;
}

// The library loads every clip beside the mesh: those import did not write are said.
void SayOtherClips(const fs::path& folder, const convert::ImportResult& result, std::ostream& err) {
    std::vector<std::string> others;
    std::error_code code;
    for (const auto& entry : fs::directory_iterator(folder, code)) {
        const std::string file = entry.path().filename().string();
        std::string ending = file.size() >= 8 ? file.substr(file.size() - 8) : "";
        for (char& c : ending) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        const bool written = std::any_of(result.files.begin(), result.files.end(),
                                         [&](const auto& f) { return f.first == file; });
        if (ending == ".md5anim" && !written) others.push_back(file);
    }
    if (others.empty()) return;
    std::sort(others.begin(), others.end());
    std::string list;
    for (const std::string& file : others) list += (list.empty() ? "" : ", ") + file;
    err << (folder / (result.name + ".md5mesh")).string() << ": warning: the folder holds "
        << Counted(others.size(), "clip", "clips") << " import did not write, which the library loads with the mesh: "
        << list << "\n";
}

bool WriteInto(const fs::path& folder, const convert::ImportResult& result, std::ostream& err) {
    std::vector<std::pair<std::string, std::string>> files;
    for (const auto& [name, bytes] : result.files) files.emplace_back((folder / name).string(), bytes);
    std::error_code code;
    std::string error;
    const bool made = !fs::exists(folder, code) && fs::create_directories(folder, code);
    if (!fs::is_directory(folder, code) || !WriteOutputs(files, &error)) {
        if (made) fs::remove(folder, code);
        err << "md5tool: " << (error.empty() ? "cannot make the folder " + folder.string() : error) << "\n";
        return false;
    }
    return true;
}

}  // namespace

int Import(const ImportOptions& options, std::ostream& out, std::ostream& err) {
    if (!ValidOptions(options, err)) return kBadUsage;
    DiskFiles files;
    const convert::ImportResult result = convert::ImportMd5Files(
        files, {options.model, options.name, options.skin, options.fps, options.scale});
    PrintDiagnostics(result.diagnostics, err);
    if (!result.ok) return result.badRequest ? kBadUsage : kBadInput;
    const fs::path folder = fs::u8path(options.folder);
    if (!WriteInto(folder, result, err)) return kBadInput;
    SayOtherClips(folder, result, err);
    out << (folder / (result.name + ".md5mesh")).string() << ": " << Counted(result.joints, "joint", "joints") << ", "
        << Counted(result.meshes, "mesh", "meshes") << ", " << Counted(result.vertices, "vertex", "vertices") << ", "
        << Counted(result.triangles, "triangle", "triangles") << "\n";
    for (size_t c = 0; c < result.clips.size(); ++c) {
        const convert::ImportedClip& clip = result.clips[c];
        out << "clip " << c << ": " << clip.file << ", " << Counted(clip.frames, "frame", "frames") << " at "
            << clip.frameRate << " fps\n";
    }
    return kSuccess;
}

}  // namespace md5tool
