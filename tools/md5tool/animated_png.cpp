#include "animated_png.h"

#include <zlib.h>


namespace md5tool {

namespace {

const char kSignature[] = "\x89PNG\r\n\x1a\n";
constexpr size_t kSignatureSize = 8;

uint32_t ReadBigEndian(const std::string& bytes, size_t at) {
    return (static_cast<uint32_t>(static_cast<unsigned char>(bytes[at])) << 24) |
           (static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + 1])) << 16) |
           (static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + 2])) << 8) |
           static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + 3]));
}

void AppendBigEndian(std::string& out, uint32_t value, int bytes = 4) {
    for (int shift = 8 * (bytes - 1); shift >= 0; shift -= 8) out += static_cast<char>((value >> shift) & 0xFF);
}

void AppendChunk(std::string& out, const char* type, const std::string& data) {
    AppendBigEndian(out, static_cast<uint32_t>(data.size()));
    const size_t typeAt = out.size();
    out.append(type, 4);
    out += data;
    const auto* crcBytes = reinterpret_cast<const Bytef*>(out.data() + typeAt);
    AppendBigEndian(out, static_cast<uint32_t>(crc32(0, crcBytes, static_cast<uInt>(4 + data.size()))));
}

}  // namespace

bool AnimatedPng::AddFrame(const std::string& png) {
    if (png.size() < kSignatureSize || png.compare(0, kSignatureSize, kSignature, kSignatureSize) != 0) return false;
    std::string header, data;
    for (size_t at = kSignatureSize; at + 12 <= png.size();) {
        const uint32_t length = ReadBigEndian(png, at);
        if (length > png.size() - at - 12) return false;
        const std::string type = png.substr(at + 4, 4);
        if (type == "IHDR") header = png.substr(at + 8, length);
        if (type == "IDAT") data += png.substr(at + 8, length);
        at += 12 + length;
    }
    if (header.empty() || data.empty() || (!header_.empty() && header != header_)) return false;
    header_ = header;
    frames_.push_back(std::move(data));
    return true;
}

std::string AnimatedPng::Finish() const {
    std::string out(kSignature, kSignatureSize);
    AppendChunk(out, "IHDR", header_);
    std::string control;
    AppendBigEndian(control, static_cast<uint32_t>(frames_.size()));
    AppendBigEndian(control, 0);  // loop forever
    AppendChunk(out, "acTL", control);
    uint32_t sequence = 0;
    for (size_t f = 0; f < frames_.size(); ++f) {
        std::string frame;
        AppendBigEndian(frame, sequence++);
        frame += header_.substr(0, 8);  // width and height
        AppendBigEndian(frame, 0);      // x offset
        AppendBigEndian(frame, 0);      // y offset
        AppendBigEndian(frame, delayNumerator_, 2);
        AppendBigEndian(frame, delayDenominator_, 2);
        frame += '\0';  // dispose: none
        frame += '\0';  // blend: source
        AppendChunk(out, "fcTL", frame);
        if (f == 0) {
            AppendChunk(out, "IDAT", frames_[f]);  // the default image is the first frame
        } else {
            std::string data;
            AppendBigEndian(data, sequence++);
            AppendChunk(out, "fdAT", data + frames_[f]);
        }
    }
    AppendChunk(out, "IEND", "");
    return out;
}

}  // namespace md5tool
