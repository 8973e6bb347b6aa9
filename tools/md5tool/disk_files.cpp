#include "disk_files.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "base/allocation.h"
#include "platform/file_io.h"

namespace md5tool {

namespace fs = std::filesystem;

const std::string* DiskFiles::Bytes(const std::string& name, std::string* refused) {
    const std::string key = convert::NormalName(name);
    auto found = read_.find(key);
    if (found == read_.end()) {
        Read read;
        char* data = nullptr;
        size_t size = 0;
        // Regular files only: a pipe or a device could wait forever.
        read.ok = brmath::ReadWholeFile(key.c_str(), &data, &size);
        if (read.ok) {
            read.bytes.assign(data, size);
            brmath::FreeBytes(data);
        } else {
            std::error_code code;
            const fs::file_status status = fs::status(fs::u8path(key), code);
            if (fs::exists(status)) read.refused = fs::is_regular_file(status) ? "cannot read it" : convert::kNotRegular;
        }
        found = read_.emplace(key, std::move(read)).first;
    }
    if (!found->second.ok && refused != nullptr) *refused = found->second.refused;
    return found->second.ok ? &found->second.bytes : nullptr;
}

bool DiskFiles::Has(const std::string& name) {
    std::error_code code;
    return fs::is_regular_file(fs::u8path(convert::NormalName(name)), code);
}

bool DiskFiles::StaysInside(const std::string& folder, const std::string& name) {
    std::error_code code;
    const fs::path base = fs::weakly_canonical(fs::u8path(folder), code);
    const fs::path target = fs::weakly_canonical(fs::u8path(name), code);
    if (code) return false;
    const auto mismatch = std::mismatch(base.begin(), base.end(), target.begin(), target.end());
    return mismatch.first == base.end();
}

void DiskFiles::List(const char* pattern, NameVisitor visit, void* context) {
    brmath::RealFileSystem().List(pattern, visit, context);
}

}  // namespace md5tool
