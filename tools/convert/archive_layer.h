#pragma once

// Archives as layers of a game base: each directory read once, each entry read (and a
// zip's inflated by zlib) when first asked for.
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "game_base.h"
#include "zip_directory.h"

namespace convert {

// An archive read through its directory: the entries it kept, by name, each read when
// asked for; Opened() says what the directory refused.
class DirectoryLayer : public BaseLayer {
public:
    const std::string& Where() const override { return where_; }
    std::vector<std::string> Names() override { return names_; }
    bool Read(const std::string& name, std::string* bytes, std::string* why) override;
    Diagnostics Opened() const override { return opened_; }

protected:
    DirectoryLayer(std::string where, std::unique_ptr<ArchiveBytes> bytes)
        : where_(std::move(where)), bytes_(std::move(bytes)) {}
    // The entries a directory kept (each with its stored `name`), in its order, and
    // what reading it said.
    template <typename Directory>
    void Keep(const Directory& directory) {
        Diagnostics said = directory.warnings;
        if (!directory.read) said.insert(said.begin(), directory.failure);
        std::vector<std::string> stored;
        for (const auto& entry : directory.entries) stored.push_back(entry.name);
        Keep(stored, std::move(said));
    }
    void Keep(const std::vector<std::string>& stored, Diagnostics opened);
    virtual bool ReadEntry(size_t entry, std::string* bytes, std::string* why) = 0;
    ArchiveBytes& Archive() { return *bytes_; }

private:
    std::string where_;
    std::unique_ptr<ArchiveBytes> bytes_;
    std::vector<std::string> names_;
    std::map<std::string, size_t> entries_;  // NormalName -> entry
    Diagnostics opened_;
};

// A zip archive (a .pk4, .pk3 or .pkz), each entry inflated by zlib when first asked for.
class ArchiveLayer final : public DirectoryLayer {
public:
    ArchiveLayer(std::string where, std::unique_ptr<ArchiveBytes> bytes);

private:
    bool ReadEntry(size_t entry, std::string* bytes, std::string* why) override;
    ZipDirectory directory_;
};

}  // namespace convert
