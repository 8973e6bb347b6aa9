#pragma once

// A zip archive's directory (a game's .pk4), read from its bytes and trusted no further
// than checked: every entry kept names a file inside the archive, stored or deflated,
// within the size limits, with its data inside the archive.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "diagnostics.h"

namespace convert {

// The largest file an entry may hold once inflated, and the most it may grow by.
constexpr uint64_t kZipEntryLimit = uint64_t(1) << 30;
constexpr uint64_t kZipRatioLimit = 1000;
// The end record and its comment sit within this many bytes of the archive's end.
constexpr uint64_t kZipTailSize = 22 + 65535;
// A local header's fixed part, before its name and extra field.
constexpr uint64_t kZipLocalHeaderSize = 30;

struct ZipEntry {
    std::string name;  // as stored, with '/' between folders
    uint16_t method = 0;  // 0 stored, 8 deflated
    uint32_t crc = 0;
    uint64_t compressedSize = 0;
    uint64_t size = 0;
    uint64_t headerOffset = 0;  // of its local header
};

struct ZipDirectory {
    bool read = false;      // false: nothing of the archive can be trusted
    Diagnostic failure;     // why, when not read
    std::vector<ZipEntry> entries;  // the files kept, in the directory's order
    Diagnostics warnings;   // each entry left out, and why
};

// Where the central directory sits, from the archive's last bytes (`tail`, at most
// kZipTailSize of them) and its size.
struct ZipDirectoryPlace {
    uint64_t offset = 0;
    uint64_t size = 0;
    uint64_t entries = 0;
};
bool FindZipDirectory(const std::string& archive, const std::string& tail, uint64_t archiveSize,
                      ZipDirectoryPlace* place, Diagnostic* failure);

// The entries of the central directory's bytes, each checked.
ZipDirectory ReadZipDirectory(const std::string& archive, const std::string& directory,
                              const ZipDirectoryPlace& place);

// Where an entry's data starts, from the first kZipLocalHeaderSize bytes of its local
// header; false with why when the header is not the entry's.
bool ZipDataOffset(const std::string& header, const ZipEntry& entry, uint64_t archiveSize, uint64_t* offset,
                   std::string* why);

// Why a name an archive stores is no file inside it (a zero byte, a root, a "..") or empty.
std::string ArchiveNameFault(const std::string& name);

// The archive's bytes, read where asked: a file on disk, or the part of one a page has.
class ArchiveBytes {
public:
    virtual ~ArchiveBytes() = default;
    virtual uint64_t Size() const = 0;
    // Exactly `size` bytes from `offset`; false when they cannot be read.
    virtual bool ReadAt(uint64_t offset, uint64_t size, std::string* bytes) = 0;
};

// An archive held whole in memory.
class ArchiveInMemory final : public ArchiveBytes {
public:
    explicit ArchiveInMemory(std::string bytes) : bytes_(std::move(bytes)) {}
    uint64_t Size() const override { return bytes_.size(); }
    bool ReadAt(uint64_t offset, uint64_t size, std::string* bytes) override {
        if (offset > bytes_.size() || size > bytes_.size() - offset) return false;
        *bytes = bytes_.substr(offset, size);
        return true;
    }

private:
    std::string bytes_;
};

// The directory of the archive `bytes` reads: FindZipDirectory, then ReadZipDirectory.
ZipDirectory ReadZipDirectory(const std::string& archive, ArchiveBytes& bytes);

}  // namespace convert
