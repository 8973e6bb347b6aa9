#include "md5/text_scan.h"

#include <cstring>

namespace brmath {

bool ReadQuotedString(TextFile& file, char* out, size_t capacity) {
    size_t written = 0;
    const auto finish = [&](bool complete) {
        if (capacity != 0) out[written] = '\0';
        return complete;
    };
    const char* data = file.Data();
    const size_t size = file.Size();
    size_t at = file.Position();
    if (at >= size) return finish(false);
    const char* open = static_cast<const char*>(std::memchr(data + at, '"', size - at));
    if (open == nullptr) {
        file.MoveTo(size);
        return finish(false);
    }
    at = static_cast<size_t>(open - data) + 1;
    const char* close = at < size ? static_cast<const char*>(std::memchr(data + at, '"', size - at)) : nullptr;
    const size_t end = close != nullptr ? static_cast<size_t>(close - data) : size;
    const size_t length = end - at;
    written = capacity == 0 ? 0 : (length < capacity - 1 ? length : capacity - 1);
    if (written != 0) std::memcpy(out, data + at, written);
    file.MoveTo(close != nullptr ? end + 1 : size);
    return finish(close != nullptr);
}

void CopyStringBounded(char* field, const char* text, unsigned size) {
    std::memset(field, 0, size);
    const size_t length = std::strlen(text);
    std::memcpy(field, text, length < size ? length : size);
}

int ReadChars(TextFile& file, char* buffer, int count) {
    for (int i = 0; i < count; ++i) {
        const int c = file.Get();
        if (c < 0) return -1;
        buffer[i] = static_cast<char>(c);
    }
    buffer[count < 0 ? 0 : count] = '\0';
    return count;
}

bool SeekKeyword(TextFile& file, const char* keyword, int offset) {
    const size_t n = std::strlen(keyword);
    const char* data = file.Data();
    const size_t size = file.Size();
    const size_t from = file.Position();
    bool found = false;
    if (n == 0) {
        found = true;  // an empty window matches where it stands
    } else if (from < size && size - from >= n) {
        // Scan in memory with memchr on the first character; same occurrences as
        // sliding an n-character window forward one character at a time.
        const char first = keyword[0];
        const char* p = data + from;
        const char* last = data + size - n;
        while (p <= last) {
            p = static_cast<const char*>(std::memchr(p, first, static_cast<size_t>(last - p) + 1));
            if (p == nullptr) break;
            if (std::memcmp(p, keyword, n) == 0) {
                file.MoveTo(static_cast<size_t>(p - data) + n);
                found = true;
                break;
            }
            ++p;
        }
    }
    if (!found && from < size) file.MoveTo(size);  // a failed search reads to the end
    if (offset != 0) file.Seek(offset);
    return found;
}

namespace {

// Index of the last backslash or slash in text, or -1.
long LastSeparator(const char* text, size_t length) {
    for (size_t i = length; i > 0; --i) {
        if (text[i - 1] == '\\' || text[i - 1] == '/') return static_cast<long>(i - 1);
    }
    return -1;
}

void CopyCut(char* out, size_t capacity, const char* text, size_t length) {
    if (capacity == 0) return;
    if (length > capacity - 1) length = capacity - 1;
    std::memcpy(out, text, length);
    out[length] = '\0';
}

}  // namespace

bool GetPathFolder(const char* path, char* out, size_t capacity) {
    const size_t length = std::strlen(path);
    if (length >= capacity) return false;
    const long separator = LastSeparator(path, length);
    // A separator at the very start is no folder: the whole path stays.
    const size_t folderLength = separator > 0 ? static_cast<size_t>(separator) : length;
    CopyCut(out, capacity, path, folderLength);
    return true;
}

bool GetMeshFolder(const char* path, char* out, size_t capacity) {
    if (!GetPathFolder(path, out, capacity)) return false;
    if (std::strcmp(out, path) != 0) return true;
    if (std::strpbrk(path, "\\/") == nullptr) {
        CopyCut(out, capacity, ".", 1);  // a bare file name lies in the current folder
    } else {
        out[0] = '\0';  // "\name" or "/name": a file in the root
    }
    return true;
}

void GetPathBaseName(const char* path, char* out, size_t capacity) {
    const size_t length = std::strlen(path);
    const char* name = path + (LastSeparator(path, length) + 1);
    const char* dot = std::strchr(name, '.');
    CopyCut(out, capacity, name, dot != nullptr ? static_cast<size_t>(dot - name) : std::strlen(name));
}

void GetPathExtension(const char* path, char* out, size_t capacity) {
    const char* dot = std::strrchr(path, '.');
    const char* extension = dot != nullptr ? dot + 1 : path + std::strlen(path);
    CopyCut(out, capacity, extension, std::strlen(extension));
}

}  // namespace brmath
