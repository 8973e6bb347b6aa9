#include "zip_writer.h"

#include <zlib.h>

namespace convert {

namespace {

void Put(std::string& out, uint32_t value, int width) {
    for (int b = 0; b < width; ++b) out.push_back(static_cast<char>(value >> (8 * b) & 0xff));
}

// Raw deflate at zlib's best; empty when it does not pay.
std::string Deflate(const std::string& bytes) {
    z_stream stream{};
    if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) return "";
    std::string packed(deflateBound(&stream, static_cast<uLong>(bytes.size())), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    stream.avail_in = static_cast<uInt>(bytes.size());
    stream.next_out = reinterpret_cast<Bytef*>(packed.data());
    stream.avail_out = static_cast<uInt>(packed.size());
    const bool done = deflate(&stream, Z_FINISH) == Z_STREAM_END;
    packed.resize(stream.total_out);
    deflateEnd(&stream);
    return done && packed.size() < bytes.size() ? packed : "";
}

}  // namespace

void ZipWriter::Add(const std::string& name, const std::string& bytes, bool deflate) {
    std::string packed = deflate ? Deflate(bytes) : "";
    const uint16_t method = packed.empty() ? 0 : 8;
    if (packed.empty()) packed = bytes;
    const uint32_t crc = static_cast<uint32_t>(crc32(0L, reinterpret_cast<const Bytef*>(bytes.data()),
                                                     static_cast<uInt>(bytes.size())));
    // What the local header and the directory record share, from "version needed" on.
    std::string common;
    Put(common, 20, 2);
    Put(common, 0, 2);  // flags
    Put(common, method, 2);
    Put(common, 0, 2);           // time
    Put(common, 0x21, 2);        // date: 1980-01-01
    Put(common, crc, 4);
    Put(common, static_cast<uint32_t>(packed.size()), 4);
    Put(common, static_cast<uint32_t>(bytes.size()), 4);
    Put(common, static_cast<uint32_t>(name.size()), 2);
    Put(common, 0, 2);  // extra field
    const uint32_t offset = static_cast<uint32_t>(files_.size());
    Put(files_, 0x04034b50, 4);
    files_ += common + name + packed;
    Put(directory_, 0x02014b50, 4);
    Put(directory_, 20, 2);  // made by
    directory_ += common;
    Put(directory_, 0, 2);  // comment
    Put(directory_, 0, 2);  // disk
    Put(directory_, 0, 2);  // internal attributes
    Put(directory_, 0, 4);  // external attributes
    Put(directory_, offset, 4);
    directory_ += name;
    ++count_;
}

std::string ZipWriter::Finish() {
    std::string archive = files_ + directory_;
    Put(archive, 0x06054b50, 4);
    Put(archive, 0, 4);  // disks
    Put(archive, count_, 2);
    Put(archive, count_, 2);
    Put(archive, static_cast<uint32_t>(directory_.size()), 4);
    Put(archive, static_cast<uint32_t>(files_.size()), 4);
    Put(archive, 0, 2);  // comment
    return archive;
}

}  // namespace convert
