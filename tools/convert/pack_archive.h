#pragma once

// A Quake .pak (a PACK file) as a layer of a game base: a 12-byte header ("PACK", the
// directory's offset and length), then 64-byte entries of a 56-byte name, a position and
// a length. Nothing in it is trusted before it is checked; the data is stored, never
// compressed, and read only when asked for.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "archive_layer.h"
#include "zip_directory.h"

namespace convert {

// The most entries a .pak may have: the remasters' largest holds some thousands.
constexpr uint64_t kPackEntryLimit = 65536;
constexpr uint64_t kPackHeaderSize = 12;
constexpr uint64_t kPackEntrySize = 64;
constexpr uint64_t kPackNameSize = 56;

struct PackEntry {
    std::string name;  // as stored
    uint64_t offset = 0;
    uint64_t size = 0;
};

struct PackDirectory {
    bool read = false;
    Diagnostic failure;               // why, when not read
    std::vector<PackEntry> entries;   // the files kept, in the directory's order
    Diagnostics warnings;             // each entry left out, and why
};

// Where the directory is, from the file's first kPackHeaderSize bytes and its size;
// false with the failure.
bool FindPackDirectory(const std::string& pak, const std::string& header, uint64_t archiveSize, uint64_t* offset,
                       uint64_t* length, Diagnostic* failure);

// The entries of the directory's bytes, every one checked against the file's size.
PackDirectory ReadPackEntries(const std::string& pak, const std::string& directory, uint64_t archiveSize);

// The directory of the PACK file `bytes` reads: FindPackDirectory, then ReadPackEntries.
PackDirectory ReadPackDirectory(const std::string& pak, ArchiveBytes& bytes);

class PackLayer final : public DirectoryLayer {
public:
    PackLayer(std::string where, std::unique_ptr<ArchiveBytes> bytes);

private:
    bool ReadEntry(size_t entry, std::string* bytes, std::string* why) override;
    PackDirectory directory_;
};

}  // namespace convert
