#include "file_set.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "base/allocation.h"
#include "platform/listing_order.h"

namespace convert {

std::string NormalName(const std::string& path) {
    std::string name = path;
    std::replace(name.begin(), name.end(), '\\', '/');
    while (name.rfind("./", 0) == 0) name.erase(0, 2);
    return name;
}

std::vector<std::string> ListedNames(brmath::FileSource& files, const std::string& pattern) {
    std::vector<std::string> names;
    files.List(pattern.c_str(), [](void* context, const char* name) {
        static_cast<std::vector<std::string>*>(context)->push_back(name);
    }, &names);
    return names;
}

bool FileSet::ReadWhole(const char* path, char** data, size_t* size) {
    *data = nullptr;
    *size = 0;
    const std::string* bytes = Bytes(path);
    if (bytes == nullptr) return false;
    char* copy = static_cast<char*>(brmath::AllocateBytes(bytes->size() + 1));
    if (copy == nullptr) return false;
    std::memcpy(copy, bytes->data(), bytes->size());
    copy[bytes->size()] = '\0';
    *data = copy;
    *size = bytes->size();
    return true;
}

const std::string* MemoryFiles::Bytes(const std::string& name, std::string*) {
    const auto found = files_.find(NormalName(name));
    return found == files_.end() ? nullptr : &found->second;
}

void MemoryFiles::List(const char* pattern, NameVisitor visit, void* context) {
    const std::string path = NormalName(pattern);
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos || path.compare(0, slash, ".") == 0 ? "" : path.substr(0, slash + 1);
    const std::string wildcard = slash == std::string::npos ? path : path.substr(slash + 1);
    std::vector<std::string> names;
    for (const auto& [name, bytes] : files_) {
        if (name.compare(0, folder.size(), folder) != 0) continue;
        const std::string rest = name.substr(folder.size());
        if (rest.find('/') == std::string::npos && brmath::MatchesWildcard(wildcard.c_str(), rest.c_str())) {
            names.push_back(rest);
        }
    }
    std::sort(names.begin(), names.end(), brmath::ListingLess);
    for (const std::string& name : names) visit(context, name.c_str());
}

}  // namespace convert
