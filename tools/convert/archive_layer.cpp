#include "archive_layer.h"

#include "zip_entry.h"

namespace convert {

void DirectoryLayer::Keep(const std::vector<std::string>& stored, Diagnostics opened) {
    for (size_t e = 0; e < stored.size(); ++e) {
        names_.push_back(NormalName(stored[e]));
        entries_.emplace(names_.back(), e);
    }
    opened_ = std::move(opened);
}

bool DirectoryLayer::Read(const std::string& name, std::string* bytes, std::string* why) {
    const auto found = entries_.find(name);
    if (found == entries_.end()) {
        *why = "is not in the archive";
        return false;
    }
    return ReadEntry(found->second, bytes, why);
}

ArchiveLayer::ArchiveLayer(std::string where, std::unique_ptr<ArchiveBytes> bytes)
    : DirectoryLayer(where, std::move(bytes)), directory_(ReadZipDirectory(where, Archive())) {
    Keep(directory_);
}

bool ArchiveLayer::ReadEntry(size_t entry, std::string* bytes, std::string* why) {
    return ReadZipEntry(Archive(), directory_.entries[entry], bytes, why);
}

}  // namespace convert
