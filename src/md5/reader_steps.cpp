#include "md5/reader_steps.h"

#include <cstdio>

namespace brmath {

bool SeekRequired(TextFile& file, const char* keyword, ReadFailure* failure) {
    const size_t start = file.Position();
    if (SeekKeyword(file, keyword, 0)) return true;
    return RejectWith(failure, file.LineAt(start), "expected \"%s\" after this line, found end of file", keyword);
}

bool ReadInt(TextFile& file, const char* what, int32_t* value, ReadFailure* failure) {
    if (ScanInt(file, value)) return true;
    return Reject(failure, file, what);
}

bool ReadFloat(TextFile& file, const char* what, float* value, ReadFailure* failure) {
    if (ScanFloat(file, value)) return true;
    return Reject(failure, file, what);
}

bool ReadVector(TextFile& file, const char* what, Vector3* value, ReadFailure* failure) {
    return ReadFloat(file, what, &value->x, failure) && ReadFloat(file, what, &value->y, failure) &&
           ReadFloat(file, what, &value->z, failure);
}

bool ReadToken(TextFile& file, const char* what, ReadFailure* failure) {
    if (SkipToken(file)) return true;
    return Reject(failure, file, what);
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
    const int line = file.LineAt(file.Position());
    if (*count < 0) return RejectWith(failure, line, "expected the %s, found the negative value %d", what, *count);
    const int64_t remaining = static_cast<int64_t>(file.Size() - file.Position());
    if (static_cast<int64_t>(*count) * minimumBytes > remaining) {
        return RejectWith(failure, line, "expected the %s, found %d, more than the rest of the file can hold", what,
                          *count);
    }
    return true;
}

}  // namespace brmath
