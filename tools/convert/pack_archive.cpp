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

bool FindPackDirectory(const std::string& pak, const std::string& header, uint64_t archiveSize, uint64_t* offset,
                       uint64_t* length, Diagnostic* failure) {
    if (archiveSize < kPackHeaderSize || header.size() < kPackHeaderSize || header.compare(0, 4, "PACK") != 0) {
        *failure = Error(pak, "is not a packfile");
        return false;
    }
    const int64_t at = Int32At(header, 4);
    const int64_t size = Int32At(header, 8);
    if (size < 0 || size % kPackEntrySize != 0) {
        *failure = Error(pak, "Bad directory length: " + std::to_string(size) + " is not a multiple of 64");
        return false;
    }
    const uint64_t count = static_cast<uint64_t>(size) / kPackEntrySize;
    if (count > kPackEntryLimit) {
        *failure = Error(pak, "Bad number of files: " + std::to_string(count) + " (the most read is " +
                                  std::to_string(kPackEntryLimit) + ")");
        return false;
    }
    if (at < 0 || static_cast<uint64_t>(at) > archiveSize || static_cast<uint64_t>(size) > archiveSize - static_cast<uint64_t>(at)) {
        *failure = Error(pak, "Bad directory: " + std::to_string(size) + " bytes at " + std::to_string(at) +
                                  " run past the file's " + std::to_string(archiveSize));
        return false;
    }
    *offset = static_cast<uint64_t>(at);
    *length = static_cast<uint64_t>(size);
    return true;
}

PackDirectory ReadPackEntries(const std::string& pak, const std::string& directory, uint64_t archiveSize) {
    PackDirectory result;
    std::map<std::string, bool> seen;
    for (uint64_t e = 0; e < directory.size() / kPackEntrySize; ++e) {
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

PackDirectory ReadPackDirectory(const std::string& pak, ArchiveBytes& bytes) {
    PackDirectory result;
    std::string header, directory;
    uint64_t offset = 0, length = 0;
    if (bytes.Size() >= kPackHeaderSize && !bytes.ReadAt(0, kPackHeaderSize, &header)) header.clear();
    if (!FindPackDirectory(pak, header, bytes.Size(), &offset, &length, &result.failure)) return result;
    if (!bytes.ReadAt(offset, length, &directory)) {
        result.failure = Error(pak, "cannot be read");
        return result;
    }
    return ReadPackEntries(pak, directory, bytes.Size());
}

PackLayer::PackLayer(std::string where, std::unique_ptr<ArchiveBytes> bytes)
    : DirectoryLayer(where, std::move(bytes)), directory_(ReadPackDirectory(where, Archive())) {
    Keep(directory_);
}

bool PackLayer::ReadEntry(size_t entry, std::string* bytes, std::string* why) {
    const PackEntry& found = directory_.entries[entry];
    if (!Archive().ReadAt(found.offset, found.size, bytes)) {
        *why = "cannot be read from the archive";
        return false;
    }
    return true;
}

}  // namespace convert
