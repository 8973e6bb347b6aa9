#include "platform/file_io.h"

#include <cstring>

#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "base/allocation.h"

namespace brmath {

std::FILE* OpenForReading(const char* path) {
#if defined(_WIN32)
    return std::fopen(path, "rb");
#else
    const size_t length = std::strlen(path);
    char* native = static_cast<char*>(std::malloc(length + 1));
    if (native == nullptr) return nullptr;
    for (size_t i = 0; i <= length; ++i) native[i] = path[i] == '\\' ? '/' : path[i];
    // Only regular files are read. Opening a named pipe or a device could wait forever
    // for a writer, so the file is looked at first and opened without blocking.
    std::FILE* file = nullptr;
    struct stat status;
    if (stat(native, &status) == 0 && S_ISREG(status.st_mode)) {
        const int descriptor = open(native, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (descriptor >= 0) {
            file = fdopen(descriptor, "rb");
            if (file == nullptr) close(descriptor);
        }
    }
    std::free(native);
    return file;
#endif
}

bool ReadWholeFile(const char* path, char** data, size_t* size) {
    *data = nullptr;
    *size = 0;
    std::FILE* file = OpenForReading(path);
    if (file == nullptr) return false;
#if !defined(_WIN32)
    // The name may have changed hands since it was looked at: only a regular file is read.
    struct stat status;
    if (fstat(fileno(file), &status) != 0 || !S_ISREG(status.st_mode)) {
        std::fclose(file);
        return false;
    }
#endif
    bool ok = false;
    char* buffer = nullptr;
    long length = -1;
    if (std::fseek(file, 0, SEEK_END) == 0) length = std::ftell(file);
    if (length >= 0 && std::fseek(file, 0, SEEK_SET) == 0) {
        buffer = static_cast<char*>(AllocateBytes(static_cast<size_t>(length) + 1));
        if (buffer != nullptr) {
            const size_t got = std::fread(buffer, 1, static_cast<size_t>(length), file);
            ok = got == static_cast<size_t>(length) && !std::ferror(file);
            if (ok && length == 0) ok = std::fgetc(file) == EOF && !std::ferror(file);
        }
    }
    std::fclose(file);
    if (!ok) {
        FreeBytes(buffer);
        return false;
    }
    buffer[length] = '\0';
    *data = buffer;
    *size = static_cast<size_t>(length);
    return true;
}

}  // namespace brmath
