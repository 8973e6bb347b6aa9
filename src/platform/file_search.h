#pragma once

// Listing the files of a folder that match a pattern such as "models\*.md5anim".
// On Windows this is the system's own file search; elsewhere a stand-in with the same
// contract: names match without regard to case and come sorted case-insensitively
// (ties by bytes), so clip numbers are the same on every file system.
#if defined(_WIN32)
#include <windows.h>
#else
#include <cstdint>

namespace brmath {

typedef void* HANDLE;
typedef int BOOL;
#define INVALID_HANDLE_VALUE (reinterpret_cast<brmath::HANDLE>(static_cast<intptr_t>(-1)))

struct WIN32_FIND_DATAA {
    char cFileName[260];
};

// The pattern's folder may be written with backslashes or slashes; its last part may
// hold the wildcards * and ?.
HANDLE FindFirstFileA(const char* pattern, WIN32_FIND_DATAA* data);
BOOL FindNextFileA(HANDLE search, WIN32_FIND_DATAA* data);
BOOL FindClose(HANDLE search);

}  // namespace brmath
#endif
