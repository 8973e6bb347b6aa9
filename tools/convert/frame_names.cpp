#include "frame_names.h"

#include <cstdint>
#include <map>

namespace convert {

namespace {

constexpr size_t kFrameNameSize = 16;
constexpr size_t kMd2SkinNameSize = 64;

// Little-endian reads that say when they would run past the bytes.
class Cursor {
public:
    explicit Cursor(const std::string& bytes) : bytes_(bytes) {}
    bool Skip(uint64_t count) {
        if (count > bytes_.size() - at_) return false;
        at_ += static_cast<size_t>(count);
        return true;
    }
    bool Int(int64_t* value) {
        if (bytes_.size() - at_ < 4) return false;
        *value = IntAt(at_);
        at_ += 4;
        return true;
    }
    bool Name(size_t size, std::string* name) {
        if (bytes_.size() - at_ < size) return false;
        *name = NameAt(at_, size);
        at_ += size;
        return true;
    }
    int64_t IntAt(size_t at) const {
        uint32_t value = 0;
        for (int b = 3; b >= 0; --b) value = value << 8 | static_cast<unsigned char>(bytes_[at + b]);
        return static_cast<int32_t>(value);
    }
    std::string NameAt(size_t at, size_t size) const {
        const std::string field = bytes_.substr(at, size);
        return field.substr(0, field.find('\0'));
    }
    size_t At() const { return at_; }
    void Seek(size_t at) { at_ = at; }

private:
    const std::string& bytes_;
    size_t at_ = 0;
};

bool Fail(const std::string& file, const std::string& text, Diagnostic* failure) {
    *failure = Error(file, text);
    return false;
}

}  // namespace

bool ReadMdl(const std::string& bytes, const std::string& file, OldModel* model, Diagnostic* failure) {
    constexpr size_t kHeaderSize = 84;
    if (bytes.size() < kHeaderSize || bytes.compare(0, 4, "IDPO") != 0) return Fail(file, "is not a Quake model (IDPO)", failure);
    Cursor at(bytes);
    if (at.IntAt(4) != 6) return Fail(file, "has version " + std::to_string(at.IntAt(4)) + ", not 6", failure);
    const int64_t skins = at.IntAt(48), width = at.IntAt(52), height = at.IntAt(56);
    const int64_t vertices = at.IntAt(60), triangles = at.IntAt(64), frames = at.IntAt(68);
    if (skins < 0 || width < 0 || height < 0 || vertices < 0 || triangles < 0 || frames < 0) {
        return Fail(file, "has a negative count in its header", failure);
    }
    const uint64_t skinSize = static_cast<uint64_t>(width) * static_cast<uint64_t>(height);
    at.Seek(kHeaderSize);
    for (int64_t s = 0; s < skins; ++s) {
        int64_t group = 0, count = 1;
        bool ok = at.Int(&group);
        if (ok && group != 0) ok = at.Int(&count) && count >= 0 && at.Skip(4 * static_cast<uint64_t>(count));
        if (!ok || !at.Skip(skinSize * static_cast<uint64_t>(count))) {
            return Fail(file, "skin " + std::to_string(s) + " runs past the file", failure);
        }
    }
    if (!at.Skip(12 * static_cast<uint64_t>(vertices)) || !at.Skip(16 * static_cast<uint64_t>(triangles))) {
        return Fail(file, "its texture coordinates or triangles run past the file", failure);
    }
    const uint64_t frameSize = 8 + kFrameNameSize + 4 * static_cast<uint64_t>(vertices);
    for (int64_t f = 0; f < frames; ++f) {
        int64_t type = 0, count = 1;
        bool ok = at.Int(&type);
        if (ok && type != 0) ok = at.Int(&count) && count > 0 && at.Skip(8) && at.Skip(4 * static_cast<uint64_t>(count));
        std::string name;
        ok = ok && at.Skip(8) && at.Name(kFrameNameSize, &name);
        if (!ok || !at.Skip(4 * static_cast<uint64_t>(vertices)) ||
            !at.Skip(frameSize * static_cast<uint64_t>(count - 1))) {
            return Fail(file, "frame " + std::to_string(f) + " runs past the file", failure);
        }
        model->frames.push_back(name);
    }
    return true;
}

bool ReadMd2(const std::string& bytes, const std::string& file, OldModel* model, Diagnostic* failure) {
    constexpr size_t kHeaderSize = 68;
    if (bytes.size() < kHeaderSize || bytes.compare(0, 4, "IDP2") != 0) return Fail(file, "is not a Quake 2 model (IDP2)", failure);
    Cursor at(bytes);
    if (at.IntAt(4) != 8) return Fail(file, "has version " + std::to_string(at.IntAt(4)) + ", not 8", failure);
    const int64_t frameSize = at.IntAt(16), skins = at.IntAt(20), frames = at.IntAt(40);
    const int64_t skinsAt = at.IntAt(44), framesAt = at.IntAt(56);
    const uint64_t size = bytes.size();
    auto inside = [size](int64_t offset, int64_t count, uint64_t each) {
        return offset >= 0 && count >= 0 && static_cast<uint64_t>(offset) <= size &&
               static_cast<uint64_t>(count) <= (size - static_cast<uint64_t>(offset)) / each;
    };
    if (!inside(skinsAt, skins, kMd2SkinNameSize)) return Fail(file, "its skin list runs past the file", failure);
    if (frameSize < static_cast<int64_t>(24 + kFrameNameSize) || !inside(framesAt, frames, static_cast<uint64_t>(frameSize))) {
        return Fail(file, "its frames run past the file", failure);
    }
    for (int64_t s = 0; s < skins; ++s) {
        model->skins.push_back(at.NameAt(static_cast<size_t>(skinsAt + s * static_cast<int64_t>(kMd2SkinNameSize)), kMd2SkinNameSize));
    }
    for (int64_t f = 0; f < frames; ++f) {
        model->frames.push_back(at.NameAt(static_cast<size_t>(framesAt + f * frameSize + 24), kFrameNameSize));
    }
    return true;
}

std::vector<FrameSequence> FrameSequences(const std::vector<std::string>& frames) {
    std::vector<FrameSequence> sequences;
    std::map<std::string, int> runs;  // stem -> runs named so far
    std::string stem;
    long long number = -1;
    for (size_t f = 0; f < frames.size(); ++f) {
        const std::string& name = frames[f];
        const size_t digits = name.find_last_not_of("0123456789") + 1;
        const std::string thisStem = digits == 0 ? "frame" : name.substr(0, digits);
        const std::string tail = name.substr(digits, 9);
        const long long thisNumber = tail.empty() ? -1 : std::stoll(tail);
        const bool follows = !sequences.empty() && thisStem == stem &&
                             (thisNumber < 0 ? number < 0 : number >= 0 && thisNumber == number + 1);
        stem = thisStem;
        number = thisNumber;
        if (follows) {
            ++sequences.back().count;
            continue;
        }
        const int run = ++runs[thisStem];
        sequences.push_back({run == 1 ? thisStem : thisStem + std::to_string(run), static_cast<int>(f), 1});
    }
    return sequences;
}

}  // namespace convert
