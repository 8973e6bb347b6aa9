#pragma once

// Fuzz inputs reach the library as files, as a host's would: each target writes them
// into a folder of its own under the temporary folder.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace brmath_fuzz {

inline const std::string& Folder() {
    static const std::string folder = [] {
        const char* base = std::getenv("TMPDIR");
        std::string path = std::string(base != nullptr ? base : "/tmp") + "/brmath-fuzz-" + std::to_string(getpid());
        std::string command = "mkdir -p '" + path + "'";
        if (std::system(command.c_str()) != 0) std::abort();
        return path;
    }();
    return folder;
}

inline std::string WriteFile(const std::string& name, const unsigned char* data, size_t size) {
    const std::string path = Folder() + "/" + name;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) std::abort();
    if (size != 0 && std::fwrite(data, 1, size, file) != size) std::abort();
    std::fclose(file);
    return path;
}

inline void RemoveFile(const std::string& name) { std::remove((Folder() + "/" + name).c_str()); }

}  // namespace brmath_fuzz
