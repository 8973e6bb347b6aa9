#include "md5/reader_steps.h"

#include <cstdio>

namespace brmath {

bool SeekRequired(TextFile& file, const char* keyword, ReadFailure* failure) {
    const size_t start = file.Position();
    if (SeekKeyword(file, keyword, 0)) return true;
    return RejectWith(failure, file.LineAt(start), "expected \"%s\" after this line, found end of file", keyword);
}

bool ReadQuoted(TextFile& file, const char* what, char* out, ReadFailure* failure) {
    const size_t start = file.Position();
    SeekKeyword(file, "\"", -1);
    const size_t quote = file.Position();
    if (!ReadQuotedString(file, out, kTextBufferSize)) {
        if (quote >= file.Size() || file.Data()[quote] != '"') return RejectAt(failure, file, start, what);
        return RejectWith(failure, file.LineAt(quote), "expected the closing quote of %s, found end of file", what);
    }
    return true;
}

bool ReadCount(TextFile& file, const char* what, int64_t minimumBytes, int32_t* count, ReadFailure* failure) {
    char expected[96];
    std::snprintf(expected, sizeof(expected), "the %s", what);
    if (!ReadInt(file, expected, count, failure)) return false;
    if (*count < 0) {
        return RejectWith(failure, file.LineAt(file.Position()), "expected the %s, found the negative value %d", what,
                          *count);
    }
    const int64_t remaining = static_cast<int64_t>(file.Size() - file.Position());
    if (static_cast<int64_t>(*count) * minimumBytes > remaining) {
        return RejectWith(failure, file.LineAt(file.Position()),
                          "expected the %s, found %d, more than the rest of the file can hold", what, *count);
    }
    return true;
}

}  // namespace brmath
