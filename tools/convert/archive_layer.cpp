#include "archive_layer.h"

#include "zip_entry.h"

namespace convert {

ArchiveLayer::ArchiveLayer(std::string where, std::unique_ptr<ArchiveBytes> bytes)
    : where_(std::move(where)), bytes_(std::move(bytes)), directory_(ReadZipDirectory(where_, *bytes_)) {
    for (size_t e = 0; e < directory_.entries.size(); ++e) entries_.emplace(NormalName(directory_.entries[e].name), e);
}

Diagnostics ArchiveLayer::Opened() const {
    Diagnostics said = directory_.warnings;
    if (!directory_.read) said.insert(said.begin(), directory_.failure);
    return said;
}

std::vector<std::string> ArchiveLayer::Names() {
    std::vector<std::string> names;
    for (const ZipEntry& entry : directory_.entries) names.push_back(NormalName(entry.name));
    return names;
}

bool ArchiveLayer::Read(const std::string& name, std::string* bytes, std::string* why) {
    const auto found = entries_.find(name);
    if (found == entries_.end()) {
        *why = "is not in the archive";
        return false;
    }
    return ReadZipEntry(*bytes_, directory_.entries[found->second], bytes, why);
}

}  // namespace convert
