#include "zip_entry.h"

#include <zlib.h>

namespace convert {

namespace {

// Raw deflate into exactly `size` bytes: more or fewer is a damaged entry.
bool Inflate(const std::string& packed, uint64_t size, std::string* bytes, std::string* why) {
    bytes->assign(size, '\0');
    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) {
        *why = "cannot be inflated (out of memory)";
        return false;
    }
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
    stream.avail_in = static_cast<uInt>(packed.size());
    stream.next_out = reinterpret_cast<Bytef*>(bytes->data());
    stream.avail_out = static_cast<uInt>(size);
    int status = inflate(&stream, Z_FINISH);
    bool longer = false;
    if ((status == Z_OK || status == Z_BUF_ERROR) && stream.avail_out == 0) {
        // Full: the stream may end right here, or go on past the size it was given.
        unsigned char more = 0;
        stream.next_out = &more;
        stream.avail_out = 1;
        status = inflate(&stream, Z_FINISH);
        longer = stream.avail_out == 0;
    }
    const bool whole = status == Z_STREAM_END && !longer && stream.total_out == size;
    inflateEnd(&stream);
    if (!whole) {
        *why = longer || status == Z_STREAM_END ? "inflates to another size than its directory gives"
                                                : "is damaged (it does not inflate)";
    }
    return whole;
}

}  // namespace

bool ReadZipEntry(ArchiveBytes& archive, const ZipEntry& entry, std::string* bytes, std::string* why) {
    std::string header;
    uint64_t offset = 0;
    std::string packed;
    if (!archive.ReadAt(entry.headerOffset, kZipLocalHeaderSize, &header) ||
        !ZipDataOffset(header, entry, archive.Size(), &offset, why)) {
        if (why->empty()) *why = "cannot be read";
        return false;
    }
    if (!archive.ReadAt(offset, entry.compressedSize, &packed)) {
        *why = "cannot be read";
        return false;
    }
    if (entry.method == 0) {
        *bytes = std::move(packed);
    } else if (!Inflate(packed, entry.size, bytes, why)) {
        return false;
    }
    const uLong crc = crc32(0L, reinterpret_cast<const Bytef*>(bytes->data()), static_cast<uInt>(bytes->size()));
    if (crc != entry.crc) {
        *why = "does not match its checksum";
        return false;
    }
    return true;
}

}  // namespace convert
