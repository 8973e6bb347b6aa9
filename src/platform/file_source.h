#pragma once

// Where the readers get a model's files: the real file system by default, or a set of
// files a tool holds in memory (dropped on a page, read from an archive).
#include <cstddef>

namespace brmath {

class FileSource {
public:
    // Called with each name a listing finds.
    typedef void (*NameVisitor)(void* context, const char* name);

    // Reads a whole file into a heap block (AllocateBytes) of *size bytes plus a
    // terminating zero, as ReadWholeFile does; false (and *data null) when there is no
    // such file or it cannot be read. Paths use the Windows convention.
    virtual bool ReadWhole(const char* path, char** data, size_t* size) = 0;
    // Calls visit with the name of every file that a pattern such as "models\*.md5anim"
    // matches, in the order of a Windows folder listing.
    virtual void List(const char* pattern, NameVisitor visit, void* context) = 0;

protected:
    ~FileSource() = default;
};

// The real file system, through the platform's own calls.
FileSource& RealFileSystem();

}  // namespace brmath
