#include "platform/file_source.h"

#include "platform/file_io.h"
#include "platform/file_search.h"

namespace brmath {

namespace {

class RealFiles final : public FileSource {
public:
    bool ReadWhole(const char* path, char** data, size_t* size) override { return ReadWholeFile(path, data, size); }

    void List(const char* pattern, NameVisitor visit, void* context) override {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA(pattern, &found);
        if (search == INVALID_HANDLE_VALUE) return;
        do {
            visit(context, found.cFileName);
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
};

}  // namespace

FileSource& RealFileSystem() {
    static RealFiles files;  // no state, and nothing to destroy
    return files;
}

}  // namespace brmath
