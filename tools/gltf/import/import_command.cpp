// md5tool import: the conversion's messages on the error stream, its files written into
// the folder all together or not at all.
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "commands.h"
#include "md5_files.h"
#include "output_file.h"
#include "wording.h"

namespace md5tool {

int Import(const ImportOptions& options, std::ostream& out, std::ostream& err) {
    namespace fs = std::filesystem;
    const ImportResult result = ImportMd5Files(options);
    for (const std::string& message : result.messages) err << message << "\n";
    if (result.status != kSuccess) return result.status;
    const fs::path folder = fs::u8path(options.folder);
    std::vector<std::pair<std::string, std::string>> files;
    for (const auto& [name, bytes] : result.files) files.emplace_back((folder / name).string(), bytes);
    std::error_code code;
    std::string error;
    const bool made = !fs::exists(folder, code) && fs::create_directories(folder, code);
    if (!fs::is_directory(folder, code) || !WriteOutputs(files, &error)) {
        if (made) fs::remove(folder, code);
        err << "md5tool: " << (error.empty() ? "cannot make the folder " + options.folder : error) << "\n";
        return kBadInput;
    }
    // The library loads every clip beside the mesh: those import did not write are said.
    std::vector<std::string> others;
    for (const auto& entry : fs::directory_iterator(folder, code)) {
        const std::string file = entry.path().filename().string();
        std::string ending = file.size() >= 8 ? file.substr(file.size() - 8) : "";
        for (char& c : ending) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        const bool written = std::any_of(result.files.begin(), result.files.end(),
                                         [&](const auto& f) { return f.first == file; });
        if (ending == ".md5anim" && !written) others.push_back(file);
    }
    if (!others.empty()) {
        std::sort(others.begin(), others.end());
        std::string list;
        for (const std::string& file : others) list += (list.empty() ? "" : ", ") + file;
        err << (folder / (result.name + ".md5mesh")).string() << ": warning: the folder holds "
            << Counted(others.size(), "clip", "clips") << " import did not write, which the library loads with the mesh: "
            << list << "\n";
    }
    out << (folder / (result.name + ".md5mesh")).string() << ": " << result.counts << "\n";
    for (const std::string& clip : result.clips) out << clip << "\n";
    return kSuccess;
}

}  // namespace md5tool
