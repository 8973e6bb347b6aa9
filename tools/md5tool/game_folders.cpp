#include "game_folders.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>
#include <utility>

#include "archive_layer.h"
#include "pack_archive.h"
#include "base/allocation.h"
#include "platform/file_io.h"
#include "platform/listing_order.h"

namespace md5tool {

namespace {

namespace fs = std::filesystem;

// An archive on disk, read where asked and never whole.
class DiskArchive final : public convert::ArchiveBytes {
public:
    explicit DiskArchive(const fs::path& path) : file_(std::fopen(path.string().c_str(), "rb")) {
        std::error_code code;
        size_ = file_ != nullptr ? fs::file_size(path, code) : 0;
        if (code) size_ = 0;
    }
    ~DiskArchive() override {
        if (file_ != nullptr) std::fclose(file_);
    }
    uint64_t Size() const override { return size_; }
    bool ReadAt(uint64_t offset, uint64_t size, std::string* bytes) override {
        if (file_ == nullptr || offset > size_ || size > size_ - offset) return false;
        bytes->assign(size, '\0');
#if defined(_WIN32)
        if (_fseeki64(file_, static_cast<long long>(offset), SEEK_SET) != 0) return false;
#else
        if (fseeko(file_, static_cast<off_t>(offset), SEEK_SET) != 0) return false;
#endif
        return std::fread(bytes->data(), 1, size, file_) == size;
    }

private:
    std::FILE* file_;
    uint64_t size_ = 0;
};

std::string Extension(const fs::path& path) { return convert::BaseKey(path.extension().string()); }

// Doom 3's archives, under the folder's loose files.
bool IsDoomArchive(const fs::path& path) { return Extension(path) == ".pk4"; }
// Quake's, over them: .pak, and the zips Quake 2's ports read.
bool IsQuakeArchive(const fs::path& path) {
    const std::string extension = Extension(path);
    return extension == ".pak" || extension == ".pk3" || extension == ".pkz";
}
bool IsArchiveName(const fs::path& path) { return IsDoomArchive(path) || IsQuakeArchive(path); }

// pak0, pak1, ..., pak10 in number order, then other .pak files by name, then the zips by name.
bool QuakeOrder(const fs::path& a, const fs::path& b) {
    auto rank = [](const fs::path& path) {
        const std::string stem = convert::BaseKey(path.stem().string());
        const bool numbered = Extension(path) == ".pak" && stem.size() > 3 && stem.size() < 12 &&
                              stem.compare(0, 3, "pak") == 0 &&
                              stem.find_first_not_of("0123456789", 3) == std::string::npos;
        const int group = numbered ? 0 : Extension(path) == ".pak" ? 1 : 2;
        return std::make_pair(group, numbered ? std::stoll(stem.substr(3)) : 0LL);
    };
    const auto ra = rank(a), rb = rank(b);
    if (ra != rb) return ra < rb;
    return brmath::ListingLess(a.filename().string(), b.filename().string());
}

// A game folder's loose files: every regular file under it but its own archives.
class DiskFolder final : public convert::BaseLayer {
public:
    explicit DiskFolder(fs::path root) : root_(std::move(root)), where_(root_.generic_string()) {}
    const std::string& Where() const override { return where_; }
    std::vector<std::string> Names() override {
        std::vector<std::string> names;
        std::error_code code;
        for (fs::recursive_directory_iterator it(root_, code), end; !code && it != end; it.increment(code)) {
            if (!it->is_regular_file(code)) continue;
            const fs::path name = it->path().lexically_relative(root_);
            if (it.depth() == 0 && IsArchiveName(name)) continue;
            names.push_back(name.generic_string());
        }
        return names;
    }
    bool Read(const std::string& name, std::string* bytes, std::string* why) override {
        char* data = nullptr;
        size_t size = 0;
        if (!brmath::ReadWholeFile((root_ / fs::u8path(name)).string().c_str(), &data, &size)) {
            *why = "cannot be read";
            return false;
        }
        bytes->assign(data, size);
        brmath::FreeBytes(data);
        return true;
    }

private:
    fs::path root_;
    std::string where_;
};

void AddArchive(const fs::path& path, convert::GameBase* base) {
    auto bytes = std::make_unique<DiskArchive>(path);
    if (Extension(path) == ".pak") {
        base->AddLayer(std::make_unique<convert::PackLayer>(path.generic_string(), std::move(bytes)));
    } else {
        base->AddLayer(std::make_unique<convert::ArchiveLayer>(path.generic_string(), std::move(bytes)));
    }
}

// A game folder: Doom 3's archives in name order under its loose files, or Quake's in
// their order over them.
void AddFolder(const fs::path& path, convert::GameBase* base) {
    std::vector<fs::path> doom, quake;
    std::error_code code;
    for (fs::directory_iterator it(path, code), end; !code && it != end; it.increment(code)) {
        if (!it->is_regular_file(code)) continue;
        if (IsDoomArchive(it->path())) doom.push_back(it->path());
        if (IsQuakeArchive(it->path())) quake.push_back(it->path());
    }
    std::sort(doom.begin(), doom.end(), [](const fs::path& a, const fs::path& b) {
        return brmath::ListingLess(a.filename().string(), b.filename().string());
    });
    std::sort(quake.begin(), quake.end(), QuakeOrder);
    for (const fs::path& archive : doom) AddArchive(archive, base);
    base->AddLayer(std::make_unique<DiskFolder>(path));
    for (const fs::path& archive : quake) AddArchive(archive, base);
}

}  // namespace

bool OpenBases(const std::vector<std::string>& paths, convert::GameBase* base, std::ostream& err) {
    for (const std::string& given : paths) {
        const fs::path path = fs::u8path(given);
        std::error_code code;
        if (fs::is_directory(path, code)) {
            AddFolder(path, base);
        } else if (fs::is_regular_file(path, code)) {
            AddArchive(path, base);
        } else {
            err << "md5tool: --base " << given << ": no such folder or file\n";
            return false;
        }
    }
    return true;
}

}  // namespace md5tool
