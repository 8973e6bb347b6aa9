#include "pack_archive.h"

#include "file_set.h"

namespace convert {

namespace {

int64_t Int32At(const std::string& bytes, size_t at) {
    uint32_t value = 0;
    for (int b = 3; b >= 0; --b) value = value << 8 | static_cast<unsigned char>(bytes[at + b]);
    return static_cast<int32_t>(value);
}

// Why an entry is no file of the archive, or empty; `entry` gets what it names.
std::string EntryFault(const std::string& record, uint64_t archiveSize, PackEntry* entry) {
    const size_t end = record.find('\0');
    if (end == std::string::npos || end >= kPackNameSize) return "has a name without a terminator";
    entry->name = record.substr(0, end);
    if (entry->name.empty()) return "has an empty name";
    const std::string fault = ArchiveNameFault(entry->name);
    if (!fault.empty()) return fault;
    const int64_t offset = Int32At(record, kPackNameSize);
    const int64_t size = Int32At(record, kPackNameSize + 4);
    if (offset < 0 || size < 0 || static_cast<uint64_t>(offset) > archiveSize ||
        static_cast<uint64_t>(size) > archiveSize - static_cast<uint64_t>(offset)) {
        return "has data that runs past the file";
    }
    entry->offset = static_cast<uint64_t>(offset);
    entry->size = static_cast<uint64_t>(size);
    return "";
}

}  // namespace

PackDirectory ReadPackDirectory(const std::string& pak, ArchiveBytes& bytes) {
    PackDirectory result;
    const uint64_t archiveSize = bytes.Size();
    std::string header;
    if (archiveSize < kPackHeaderSize || !bytes.ReadAt(0, kPackHeaderSize, &header) || header.compare(0, 4, "PACK") != 0) {
        result.failure = Error(pak, "is not a packfile");
        return result;
    }
    const int64_t offset = Int32At(header, 4);
    const int64_t length = Int32At(header, 8);
    if (length < 0 || length % kPackEntrySize != 0) {
        result.failure = Error(pak, "Bad directory length: " + std::to_string(length) + " is not a multiple of 64");
        return result;
    }
    const uint64_t count = static_cast<uint64_t>(length) / kPackEntrySize;
    if (count > kPackEntryLimit) {
        result.failure = Error(pak, "Bad number of files: " + std::to_string(count) + " (the most read is " +
                                        std::to_string(kPackEntryLimit) + ")");
        return result;
    }
    if (offset < 0 || static_cast<uint64_t>(offset) > archiveSize ||
        static_cast<uint64_t>(length) > archiveSize - static_cast<uint64_t>(offset)) {
        result.failure = Error(pak, "Bad directory: " + std::to_string(length) + " bytes at " + std::to_string(offset) +
                                        " run past the file's " + std::to_string(archiveSize));
        return result;
    }
    std::string directory;
    if (!bytes.ReadAt(static_cast<uint64_t>(offset), static_cast<uint64_t>(length), &directory)) {
        result.failure = Error(pak, "cannot be read");
        return result;
    }
    std::map<std::string, bool> seen;
    for (uint64_t e = 0; e < count; ++e) {
        PackEntry entry;
        const std::string fault = EntryFault(directory.substr(e * kPackEntrySize, kPackEntrySize), archiveSize, &entry);
        const std::string shown = entry.name.empty() ? "entry " + std::to_string(e) : "entry \"" + entry.name + "\"";
        if (!fault.empty()) {
            result.warnings.push_back(Warning(pak, shown + " " + fault + "; left out"));
        } else if (!seen.emplace(BaseKey(entry.name), true).second) {
            result.warnings.push_back(Warning(pak, shown + " is in the archive twice; the first is read"));
        } else {
            result.entries.push_back(std::move(entry));
        }
    }
    result.read = true;
    return result;
}

PackLayer::PackLayer(std::string where, std::unique_ptr<ArchiveBytes> bytes)
    : where_(std::move(where)), bytes_(std::move(bytes)), directory_(ReadPackDirectory(where_, *bytes_)) {
    for (size_t e = 0; e < directory_.entries.size(); ++e) entries_.emplace(NormalName(directory_.entries[e].name), e);
}

Diagnostics PackLayer::Opened() const {
    Diagnostics said = directory_.warnings;
    if (!directory_.read) said.insert(said.begin(), directory_.failure);
    return said;
}

std::vector<std::string> PackLayer::Names() {
    std::vector<std::string> names;
    for (const PackEntry& entry : directory_.entries) names.push_back(NormalName(entry.name));
    return names;
}

bool PackLayer::Read(const std::string& name, std::string* bytes, std::string* why) {
    const auto found = entries_.find(name);
    if (found == entries_.end()) {
        *why = "is not in the archive";
        return false;
    }
    const PackEntry& entry = directory_.entries[found->second];
    if (!bytes_->ReadAt(entry.offset, entry.size, bytes)) {
        *why = "cannot be read from the archive";
        return false;
    }
    return true;
}

}  // namespace convert
