#pragma once

#include <cstddef>
#include <cstdio>

namespace brmath {

// Opens a file for reading in binary mode. Paths use the Windows convention: off
// Windows a backslash is taken as a folder separator.
std::FILE* OpenForReading(const char* path);

// Reads a whole regular file into a heap block (AllocateBytes) of *size bytes plus a
// terminating zero. False when the file does not open, is not a regular readable file,
// or memory runs out; *data is then null.
bool ReadWholeFile(const char* path, char** data, size_t* size);

}  // namespace brmath
