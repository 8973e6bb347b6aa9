#pragma once

// A .pk4 as a layer of a game base: its directory read once, each entry inflated by
// zlib when first asked for.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "game_base.h"
#include "zip_directory.h"

namespace convert {

// A zip archive read through its directory; Opened() says which entries it refused.
class ArchiveLayer final : public BaseLayer {
public:
    ArchiveLayer(std::string where, std::unique_ptr<ArchiveBytes> bytes);
    const std::string& Where() const override { return where_; }
    std::vector<std::string> Names() override;
    bool Read(const std::string& name, std::string* bytes, std::string* why) override;
    Diagnostics Opened() const override;

private:
    std::string where_;
    std::unique_ptr<ArchiveBytes> bytes_;
    ZipDirectory directory_;
    std::map<std::string, size_t> entries_;  // NormalName -> entry
};

}  // namespace convert
