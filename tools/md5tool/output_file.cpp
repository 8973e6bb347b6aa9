#include "output_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace md5tool {

namespace {

bool Fail(const std::string& path, std::string* error) {
    *error = "cannot write " + path + ": " + std::strerror(errno);
    return false;
}

#if !defined(_WIN32)
bool WriteAll(int descriptor, const std::string& bytes) {
    for (size_t done = 0; done < bytes.size();) {
        const ssize_t written = write(descriptor, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        done += static_cast<size_t>(written);
    }
    return true;
}
#endif

// Writes to a file of the output's folder, then puts it in place.
bool WriteWhole(const std::string& path, const std::string& bytes, std::string* error);

}  // namespace

bool WriteOutput(const std::string& path, const std::string& bytes, std::ostream& out, std::string* error) {
    if (path == "-") {
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) *error = "cannot write the picture to standard output";
        return static_cast<bool>(out);
    }
    return WriteWhole(path, bytes, error);
}

namespace {

#if defined(_WIN32)

bool WriteWhole(const std::string& path, const std::string& bytes, std::string* error) {
    const std::string temporary = path + ".partial";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (file == nullptr) return Fail(path, error);
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() && std::fflush(file) == 0;
    int reason = errno;
    if (std::fclose(file) != 0 && ok) {
        ok = false;
        reason = errno;
    }
    if (ok && !MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ok = false;
        reason = EACCES;
    }
    if (!ok) {
        std::remove(temporary.c_str());
        errno = reason;
        return Fail(path, error);
    }
    return true;
}

#else

bool WriteWhole(const std::string& path, const std::string& bytes, std::string* error) {
    struct stat status;
    if (stat(path.c_str(), &status) == 0 && !S_ISREG(status.st_mode)) {
        // A device or pipe (/dev/stdout, /dev/full): no name to rename onto.
        const int descriptor = open(path.c_str(), O_WRONLY | O_CLOEXEC);
        if (descriptor < 0) return Fail(path, error);
        const bool written = WriteAll(descriptor, bytes);
        const int savedErrno = errno;
        if (close(descriptor) != 0 || !written) {
            if (!written) errno = savedErrno;
            return Fail(path, error);
        }
        return true;
    }
    std::vector<char> temporary(path.begin(), path.end());
    const char suffix[] = ".partial-XXXXXX";
    temporary.insert(temporary.end(), suffix, suffix + sizeof(suffix));
    const int descriptor = mkstemp(temporary.data());
    if (descriptor < 0) return Fail(path, error);
    bool ok = WriteAll(descriptor, bytes) && fsync(descriptor) == 0;
    int reason = ok ? 0 : errno;
    if (close(descriptor) != 0 && ok) {
        ok = false;
        reason = errno;
    }
    if (ok) {
        // mkstemp makes the file private; give it the mode a new file normally gets.
        const mode_t mask = umask(0);
        umask(mask);
        chmod(temporary.data(), 0666 & ~mask);
        if (rename(temporary.data(), path.c_str()) != 0) {
            ok = false;
            reason = errno;
        }
    }
    if (!ok) {
        unlink(temporary.data());
        errno = reason;
        return Fail(path, error);
    }
    return true;
}

#endif

}  // namespace

}  // namespace md5tool
