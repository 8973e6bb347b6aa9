#pragma once

// The files md5tool reads: the real file system, each file read once and kept.
#include <map>
#include <string>

#include "file_set.h"

namespace md5tool {

class DiskFiles final : public convert::FileSet {
public:
    const std::string* Bytes(const std::string& name, std::string* refused = nullptr) override;
    bool Has(const std::string& name) override;
    bool StaysInside(const std::string& folder, const std::string& name) override;
    // The folder's listing, as the library lists it.
    void List(const char* pattern, NameVisitor visit, void* context) override;

private:
    struct Read {
        bool ok = false;
        std::string bytes;    // when ok
        std::string refused;  // else why, when the name is there
    };
    std::map<std::string, Read> read_;
};

}  // namespace md5tool
