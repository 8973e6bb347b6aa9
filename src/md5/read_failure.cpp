#include "md5/read_failure.h"

#include <cstdarg>
#include <cstdio>

#include "md5/text_file.h"

namespace brmath {

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

}  // namespace

bool RejectWith(ReadFailure* failure, int line, const char* format, ...) {
    if (failure == nullptr) return false;
    failure->line = line;
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(failure->message, sizeof(failure->message), format, arguments);
    va_end(arguments);
    return false;
}

bool RejectAt(ReadFailure* failure, const TextFile& file, size_t position, const char* expected) {
    if (failure == nullptr) return false;
    const char* data = file.Data();
    const size_t size = file.Size();
    while (position < size && IsSpace(data[position])) ++position;
    if (position >= size) {
        // Report the last line the reader stood on, not a line past the text.
        return RejectWith(failure, file.LineAt(size), "expected %s, found end of file", expected);
    }
    char found[40];
    size_t n = 0;
    for (size_t i = position; i < size && !IsSpace(data[i]) && n < 24; ++i) {
        const unsigned char c = static_cast<unsigned char>(data[i]);
        found[n++] = (c >= 0x20 && c < 0x7F) ? static_cast<char>(c) : '?';
    }
    found[n] = '\0';
    return RejectWith(failure, file.LineAt(position), "expected %s, found \"%s\"", expected, found);
}

bool Reject(ReadFailure* failure, const TextFile& file, const char* expected) {
    return RejectAt(failure, file, file.Position(), expected);
}

}  // namespace brmath
