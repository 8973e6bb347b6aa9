#include "output_file.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
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

// A file written under a temporary name, to be put in place or thrown away; a device
// or pipe is written at once and has no temporary name.
struct Staged {
    std::string path;       // the output name
    std::string target;     // where the bytes go: the output, or the file its link names
    std::string temporary;  // empty once in place, or for a device
};

#if defined(_WIN32)

bool Stage(const std::string& path, const std::string& bytes, Staged* staged, std::string* error) {
    staged->path = staged->target = path;
    staged->temporary = path + ".partial";
    std::FILE* file = std::fopen(staged->temporary.c_str(), "wb");
    if (file == nullptr) {
        staged->temporary.clear();
        return Fail(path, error);
    }
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() && std::fflush(file) == 0;
    int reason = errno;
    if (std::fclose(file) != 0 && ok) {
        ok = false;
        reason = errno;
    }
    errno = reason;
    return ok || Fail(path, error);
}

bool Place(Staged& staged, std::string* error) {
    if (!MoveFileExA(staged.temporary.c_str(), staged.target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        errno = EACCES;
        return Fail(staged.path, error);
    }
    staged.temporary.clear();
    return true;
}

void Discard(const Staged& staged) {
    if (!staged.temporary.empty()) std::remove(staged.temporary.c_str());
}

#else

bool WriteAll(int descriptor, const std::string& bytes) {
    for (size_t done = 0; done < bytes.size();) {
        const ssize_t written = write(descriptor, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        done += static_cast<size_t>(written);
    }
    return true;
}

bool Stage(const std::string& path, const std::string& bytes, Staged* staged, std::string* error) {
    staged->path = staged->target = path;
    struct stat status {};
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
    // Through a symbolic link, the file it names is replaced and the link kept.
    struct stat link;
    char resolved[PATH_MAX];
    if (lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode) && realpath(path.c_str(), resolved) != nullptr) {
        staged->target = resolved;
    }
    const bool exists = stat(staged->target.c_str(), &status) == 0;
    // A short temporary name in the same folder, so that a name near the length limit
    // still gets one. A count of its own in each, since mkstemp's random part comes
    // from a clock that may not move between the files of one output (in WebAssembly).
    static unsigned staging = 0;
    const size_t slash = staged->target.find_last_of('/');
    std::string name = (slash == std::string::npos ? "" : staged->target.substr(0, slash + 1)) + ".md5tool-" +
                       std::to_string(++staging % 1000) + "-XXXXXX";
    std::vector<char> temporary(name.begin(), name.end());
    temporary.push_back('\0');
    const int descriptor = mkstemp(temporary.data());
    if (descriptor < 0) return Fail(path, error);
    staged->temporary = temporary.data();
    bool ok = WriteAll(descriptor, bytes) && fsync(descriptor) == 0;
    int reason = ok ? 0 : errno;
    // mkstemp makes the file private: give it the mode the file had, or a new file's.
    mode_t mode = status.st_mode & 07777;
    if (!exists) {
        const mode_t mask = umask(0);
        umask(mask);
        mode = 0666 & ~mask;
    }
    if (ok && fchmod(descriptor, mode) != 0) {
        ok = false;
        reason = errno;
    }
    if (close(descriptor) != 0 && ok) {
        ok = false;
        reason = errno;
    }
    errno = reason;
    return ok || Fail(path, error);
}

bool Place(Staged& staged, std::string* error) {
    if (staged.temporary.empty()) return true;
    if (rename(staged.temporary.c_str(), staged.target.c_str()) != 0) return Fail(staged.path, error);
    staged.temporary.clear();
    return true;
}

void Discard(const Staged& staged) {
    if (!staged.temporary.empty()) unlink(staged.temporary.c_str());
}

#endif

}  // namespace

bool WriteOutputs(const std::vector<std::pair<std::string, std::string>>& files, std::string* error) {
    std::vector<Staged> staged(files.size());
    bool ok = true;
    for (size_t i = 0; i < files.size() && ok; ++i) ok = Stage(files[i].first, files[i].second, &staged[i], error);
    for (size_t i = 0; i < files.size() && ok; ++i) ok = Place(staged[i], error);
    for (const Staged& file : staged) Discard(file);
    return ok;
}

bool WriteOutput(const std::string& path, const std::string& bytes, std::ostream& out, std::string* error) {
    if (path == "-") {
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) *error = "cannot write the picture to standard output";
        return static_cast<bool>(out);
    }
    return WriteOutputs({{path, bytes}}, error);
}

}  // namespace md5tool
