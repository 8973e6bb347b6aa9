#pragma once

// The files a conversion reads, by name: a folder on disk, the files dropped on a page,
// later a game's archives. The library's readers take them through the same seam.
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/file_source.h"

namespace convert {

// A name as sets compare them: '/' between folders (a backslash taken as one), no
// leading "./".
std::string NormalName(const std::string& path);

// What a set says of a name that is there but is no file to read.
constexpr const char* kNotRegular = "not a regular file";

// The names a source lists for a pattern such as "models\\*.md5anim", in its order.
std::vector<std::string> ListedNames(brmath::FileSource& files, const std::string& pattern);

class FileSet : public brmath::FileSource {
public:
    virtual ~FileSet() = default;

    // The bytes of a file, each file read at most once; null when the set holds no
    // such file, with *refused saying why when it holds something it will not give
    // (a folder, a device).
    virtual const std::string* Bytes(const std::string& name, std::string* refused = nullptr) = 0;
    // Whether the set holds a regular file of that name, without reading it.
    virtual bool Has(const std::string& name) { return Bytes(name) != nullptr; }
    // Whether `name`, a file inside `folder` by its name, stays there once the links
    // of a disk are followed.
    virtual bool StaysInside(const std::string& folder, const std::string& name) {
        (void)folder;
        (void)name;
        return true;
    }

    // The library's side: a copy of Bytes() in the library's memory.
    bool ReadWhole(const char* path, char** data, size_t* size) override;
};

// Files held in memory, listed as a Windows folder lists them.
class MemoryFiles final : public FileSet {
public:
    void Add(const std::string& name, std::string bytes) { files_[NormalName(name)] = std::move(bytes); }

    const std::string* Bytes(const std::string& name, std::string* refused = nullptr) override;
    void List(const char* pattern, NameVisitor visit, void* context) override;

private:
    std::map<std::string, std::string> files_;
};

}  // namespace convert
