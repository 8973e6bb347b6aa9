#include "zip_directory.h"

#include <algorithm>
#include <set>

#include "file_set.h"

namespace convert {

namespace {

constexpr uint32_t kEndRecord = 0x06054b50;
constexpr uint32_t kZip64Locator = 0x07064b50;
constexpr uint32_t kDirectoryRecord = 0x02014b50;
constexpr uint32_t kLocalRecord = 0x04034b50;
constexpr uint64_t kEndRecordSize = 22;
constexpr uint64_t kDirectoryRecordSize = 46;

// Little-endian fields at a position the caller has checked lies inside.
uint32_t Field(const std::string& bytes, uint64_t at, int width) {
    uint32_t value = 0;
    for (int b = width - 1; b >= 0; --b) value = value << 8 | static_cast<unsigned char>(bytes[at + b]);
    return value;
}

std::string Lower(std::string text) {
    for (char& c : text) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    return text;
}

// Why an entry cannot be read, or empty.
std::string EntryFault(const ZipEntry& entry, uint32_t flags, const ZipDirectoryPlace& place) {
    std::string fault = ArchiveNameFault(entry.name);
    if (!fault.empty()) return fault;
    if (flags & 1) return "is encrypted";
    if (entry.method != 0 && entry.method != 8) {
        return "uses compression method " + std::to_string(entry.method) + ", which is not read";
    }
    if (entry.size > kZipEntryLimit) return "would be larger than 1 GiB";
    if (entry.size > entry.compressedSize * kZipRatioLimit) return "would inflate more than 1000 times its size";
    if (entry.method == 0 && entry.size != entry.compressedSize) return "is stored with two different sizes";
    if (entry.headerOffset + kZipLocalHeaderSize + entry.compressedSize > place.offset) {
        return "has data that runs into the archive's directory";
    }
    return "";
}

}  // namespace

// Why a stored name is no file inside the archive, or empty.
std::string ArchiveNameFault(const std::string& name) {
    if (name.find('\0') != std::string::npos) return "has a zero byte in its name";
    if (name[0] == '/' || name[0] == '\\' || (name.size() > 1 && name[1] == ':')) {
        return "names a place outside the archive";
    }
    const std::string path = "/" + NormalName(name) + "/";
    if (path.find("/../") != std::string::npos) return "names a place outside the archive";
    return "";
}


bool FindZipDirectory(const std::string& archive, const std::string& tail, uint64_t archiveSize,
                      ZipDirectoryPlace* place, Diagnostic* failure) {
    const uint64_t tailStart = archiveSize - tail.size();
    for (uint64_t at = tail.size() >= kEndRecordSize ? tail.size() - kEndRecordSize + 1 : 0; at-- > 0;) {
        if (Field(tail, at, 4) != kEndRecord || at + kEndRecordSize + Field(tail, at + 20, 2) > tail.size()) continue;
        if (Field(tail, at + 4, 2) != 0 || Field(tail, at + 6, 2) != 0) {
            *failure = Error(archive, "spans several disks, which is not read");
            return false;
        }
        if (at >= 20 && Field(tail, at - 20, 4) == kZip64Locator) {
            *failure = Error(archive, "is a zip64 archive, which is not read");
            return false;
        }
        place->entries = Field(tail, at + 10, 2);
        place->size = Field(tail, at + 12, 4);
        place->offset = Field(tail, at + 16, 4);
        if (Field(tail, at + 8, 2) != place->entries || place->offset + place->size > tailStart + at ||
            place->entries * kDirectoryRecordSize > place->size) {
            *failure = Error(archive, "has a truncated or inconsistent directory");
            return false;
        }
        return true;
    }
    *failure = Error(archive, "is not a zip archive (no end of directory record)");
    return false;
}

ZipDirectory ReadZipDirectory(const std::string& archive, const std::string& directory,
                              const ZipDirectoryPlace& place) {
    ZipDirectory result;
    std::set<std::string> seen;
    uint64_t at = 0;
    for (uint64_t e = 0; e < place.entries; ++e) {
        if (at + kDirectoryRecordSize > directory.size() || Field(directory, at, 4) != kDirectoryRecord) {
            result.failure = Error(archive, "has a truncated or inconsistent directory");
            result.entries.clear();
            return result;
        }
        const uint64_t nameSize = Field(directory, at + 28, 2);
        const uint64_t next = at + kDirectoryRecordSize + nameSize + Field(directory, at + 30, 2) + Field(directory, at + 32, 2);
        if (next > directory.size()) {
            result.failure = Error(archive, "has a truncated or inconsistent directory");
            result.entries.clear();
            return result;
        }
        ZipEntry entry;
        entry.name = directory.substr(at + kDirectoryRecordSize, nameSize);
        entry.method = static_cast<uint16_t>(Field(directory, at + 10, 2));
        entry.crc = Field(directory, at + 16, 4);
        entry.compressedSize = Field(directory, at + 20, 4);
        entry.size = Field(directory, at + 24, 4);
        entry.headerOffset = Field(directory, at + 42, 4);
        const uint32_t flags = Field(directory, at + 8, 2);
        at = next;
        if (entry.name.empty() || entry.name.back() == '/' || entry.name.back() == '\\') continue;  // a folder
        const std::string fault = EntryFault(entry, flags, place);
        if (!fault.empty()) {
            result.warnings.push_back(Warning(archive, "entry \"" + entry.name + "\" " + fault + "; left out"));
        } else if (!seen.insert(Lower(NormalName(entry.name))).second) {
            result.warnings.push_back(Warning(archive, "entry \"" + entry.name + "\" is in the archive twice; the first is read"));
        } else {
            result.entries.push_back(std::move(entry));
        }
    }
    result.read = true;
    return result;
}

bool ZipDataOffset(const std::string& header, const ZipEntry& entry, uint64_t archiveSize, uint64_t* offset,
                   std::string* why) {
    if (header.size() < kZipLocalHeaderSize || Field(header, 0, 4) != kLocalRecord || Field(header, 8, 2) != entry.method) {
        *why = "its local header does not match the directory";
        return false;
    }
    *offset = entry.headerOffset + kZipLocalHeaderSize + Field(header, 26, 2) + Field(header, 28, 2);
    if (*offset + entry.compressedSize > archiveSize) {
        *why = "its data runs past the archive's end";
        return false;
    }
    return true;
}

ZipDirectory ReadZipDirectory(const std::string& archive, ArchiveBytes& bytes) {
    ZipDirectory result;
    const uint64_t size = bytes.Size();
    const uint64_t tailSize = std::min(size, kZipTailSize);
    std::string tail;
    ZipDirectoryPlace place;
    if (!bytes.ReadAt(size - tailSize, tailSize, &tail)) {
        result.failure = Error(archive, "cannot be read");
        return result;
    }
    if (!FindZipDirectory(archive, tail, size, &place, &result.failure)) return result;
    std::string directory;
    if (!bytes.ReadAt(place.offset, place.size, &directory)) {
        result.failure = Error(archive, "cannot be read");
        return result;
    }
    return ReadZipDirectory(archive, directory, place);
}

}  // namespace convert
