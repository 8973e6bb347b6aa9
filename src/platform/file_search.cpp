#include "platform/file_search.h"

#if !defined(_WIN32)
#include <dirent.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "platform/listing_order.h"

namespace brmath {

// readdir on a 32-bit build without 64-bit inode numbers stops at the first large
// one (EOVERFLOW), and a folder's clips go unseen; the build defines
// _FILE_OFFSET_BITS=64.
static_assert(sizeof(ino_t) >= 8, "build with _FILE_OFFSET_BITS=64");

namespace {

struct Search {
    std::vector<std::string> names;
    size_t next = 0;
};

void Deliver(Search* search, WIN32_FIND_DATAA* data) {
    const std::string& name = search->names[search->next++];
    const size_t length = std::min(name.size(), sizeof(data->cFileName) - 1);
    std::memcpy(data->cFileName, name.data(), length);
    data->cFileName[length] = '\0';
}

}  // namespace

HANDLE FindFirstFileA(const char* pattern, WIN32_FIND_DATAA* data) {
    try {
        std::string folder(pattern);
        std::replace(folder.begin(), folder.end(), '\\', '/');
        const size_t slash = folder.rfind('/');
        std::string wildcard = slash == std::string::npos ? folder : folder.substr(slash + 1);
        folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : folder.substr(0, slash));

        std::unique_ptr<Search> search(new Search);
        DIR* dir = opendir(folder.c_str());
        if (dir == nullptr) return INVALID_HANDLE_VALUE;
        try {
            while (const dirent* entry = readdir(dir)) {
                if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
                if (MatchesWildcard(wildcard.c_str(), entry->d_name)) search->names.emplace_back(entry->d_name);
            }
        } catch (...) {
            closedir(dir);
            throw;
        }
        closedir(dir);
        if (search->names.empty()) return INVALID_HANDLE_VALUE;
        std::sort(search->names.begin(), search->names.end(), ListingLess);
        Deliver(search.get(), data);
        return search.release();
    } catch (const std::bad_alloc&) {
        return INVALID_HANDLE_VALUE;
    }
}

BOOL FindNextFileA(HANDLE handle, WIN32_FIND_DATAA* data) {
    Search* search = static_cast<Search*>(handle);
    if (search == nullptr || handle == INVALID_HANDLE_VALUE || search->next >= search->names.size()) return 0;
    Deliver(search, data);
    return 1;
}

BOOL FindClose(HANDLE handle) {
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return 0;
    delete static_cast<Search*>(handle);
    return 1;
}

}  // namespace brmath
#endif
