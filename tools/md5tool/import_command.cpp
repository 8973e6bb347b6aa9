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
#include "zip_writer.h"

namespace md5tool {

using convert::Counted;

namespace {

namespace fs = std::filesystem;

bool ValidOptions(const ImportOptions& options, std::ostream& err) {
    if (!options.folder.empty() + !options.mod.empty() + !options.pk4.empty() != 1) {
        err << "md5tool: import writes to one of -o FOLDER, --mod FOLDER and --pk4 FILE\n";
        return false;
    }
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

// The files into the folder (and the folders their names lead to), all or none.
bool WriteInto(const fs::path& folder, const convert::ImportResult& result, std::ostream& err) {
    std::vector<std::pair<std::string, std::string>> files;
    std::vector<fs::path> made;
    std::error_code code;
    bool folders = true;
    for (const auto& [name, bytes] : result.files) {
        const fs::path path = folder / fs::u8path(name);
        files.emplace_back(path.string(), bytes);
        for (fs::path up = path.parent_path(); folders && !fs::exists(up, code) && !up.empty(); up = up.parent_path()) {
            made.insert(made.begin(), up);
        }
    }
    for (const fs::path& up : made) folders = folders && (fs::is_directory(up, code) || fs::create_directory(up, code));
    std::string error;
    if (!folders || !fs::is_directory(folder, code) || !WriteOutputs(files, &error)) {
        for (auto up = made.rbegin(); up != made.rend(); ++up) fs::remove(*up, code);
        err << "md5tool: " << (error.empty() ? "cannot make the folder " + folder.string() : error) << "\n";
        return false;
    }
    return true;
}

// The files as one .pk4, written whole or not at all.
bool WritePk4(const std::string& path, const convert::ImportResult& result, std::ostream& out, std::ostream& err) {
    convert::ZipWriter pk4;
    for (const auto& [name, bytes] : result.files) pk4.Add(name, bytes);
    std::string error;
    if (!WriteOutput(path, pk4.Finish(), out, &error)) {
        err << "md5tool: " << error << "\n";
        return false;
    }
    return true;
}

}  // namespace

int Import(const ImportOptions& options, std::ostream& out, std::ostream& err) {
    if (!ValidOptions(options, err)) return kBadUsage;
    DiskFiles files;
    const bool mod = options.folder.empty();
    const convert::ImportResult result = convert::ImportMd5Files(
        files, {options.model, options.name, options.skin, options.fps, options.scale, mod, options.targets});
    PrintDiagnostics(result.diagnostics, err);
    if (!result.ok) return result.badRequest ? kBadUsage : kBadInput;
    fs::path mesh = fs::u8path(options.folder) / (result.name + ".md5mesh");
    if (!options.pk4.empty()) {
        if (!WritePk4(options.pk4, result, out, err)) return kBadInput;
        mesh = fs::u8path(options.pk4) / fs::u8path(result.files[0].first);
    } else if (mod) {
        if (!WriteInto(fs::u8path(options.mod), result, err)) return kBadInput;
        mesh = fs::u8path(options.mod) / fs::u8path(result.files[0].first);
    } else {
        if (!WriteInto(mesh.parent_path(), result, err)) return kBadInput;
        SayOtherClips(mesh.parent_path(), result, err);
    }
    out << mesh.generic_string() << ": " << Counted(result.joints, "joint", "joints") << ", "
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
