#include "game_folders.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

#include "archive_layer.h"
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

bool IsArchiveName(const fs::path& path) { return convert::BaseKey(path.extension().string()) == ".pk4"; }

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
    base->AddLayer(std::make_unique<convert::ArchiveLayer>(path.generic_string(), std::make_unique<DiskArchive>(path)));
}

}  // namespace

bool OpenBases(const std::vector<std::string>& paths, convert::GameBase* base, std::ostream& err) {
    for (const std::string& given : paths) {
        const fs::path path = fs::u8path(given);
        std::error_code code;
        if (fs::is_directory(path, code)) {
            std::vector<fs::path> archives;
            for (fs::directory_iterator it(path, code), end; !code && it != end; it.increment(code)) {
                if (IsArchiveName(it->path()) && it->is_regular_file(code)) archives.push_back(it->path());
            }
            std::sort(archives.begin(), archives.end(), [](const fs::path& a, const fs::path& b) {
                return brmath::ListingLess(a.filename().string(), b.filename().string());
            });
            for (const fs::path& archive : archives) AddArchive(archive, base);
            base->AddLayer(std::make_unique<DiskFolder>(path));
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
