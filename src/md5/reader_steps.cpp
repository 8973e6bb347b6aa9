#include "md5/reader_steps.h"

#include <cstdio>
#include <cstring>

namespace brmath {

namespace {

// How far back a keyword's line is scanned for a comment or a quote before it; a longer
// line is not looked at, so that noting stays linear in the file's size.
constexpr size_t kLookBack = 4096;

// Whether the keyword that ends at the read position stands inside a "//" comment or a
// quoted text of its line: "comment", "quoted text" or null.
const char* HiddenKeywordPlace(const TextFile& file, size_t length) {
    const char* data = file.Data();
    const size_t match = file.Position() - length;
    size_t lineStart = match;
    while (lineStart > 0 && data[lineStart - 1] != '\n') {
        if (match - lineStart >= kLookBack) return nullptr;
        --lineStart;
    }
    bool quoted = false;
    for (size_t i = lineStart; i < match; ++i) {
        if (data[i] == '"') {
            quoted = !quoted;
        } else if (!quoted && data[i] == '/' && data[i + 1] == '/') {
            return "a // comment";
        }
    }
    return quoted ? "a quoted text" : nullptr;
}

}  // namespace

bool SeekRequired(TextFile& file, const char* keyword, const FileNotes& notes, ReadFailure* failure) {
    const size_t start = file.Position();
    if (SeekKeyword(file, keyword, 0)) {
        if (notes.Wanted()) {
            const size_t length = std::strlen(keyword);
            if (const char* place = HiddenKeywordPlace(file, length)) {
                notes.Note(Notice::kKeywordHidden, file.LineAt(file.Position() - length),
                           "\"%s\" was taken from inside %s", keyword, place);
            }
        }
        return true;
    }
    const int line = file.LineAt(start);
    return RejectWith(failure, line, "found no \"%s\" from line %d to the end of the file", keyword, line);
}

bool SeekSymbol(TextFile& file, char symbol, bool past, const char* what, ReadFailure* failure) {
    const size_t start = file.Position();
    const char* data = file.Data();
    const char* end = data + file.Size();
    for (const char* p = data + start; p < end; ++p) {
        if (*p == symbol) {
            file.MoveTo(static_cast<size_t>(p - data) + (past ? 1 : 0));
            return true;
        }
        if (p[0] == '/' && p[1] == '/') {
            const void* lineEnd = std::memchr(p, '\n', static_cast<size_t>(end - p));
            if (lineEnd == nullptr) break;
            p = static_cast<const char*>(lineEnd);
        }
    }
    file.MoveTo(file.Size());
    const int line = file.LineAt(start);
    return RejectWith(failure, line, "expected %s after line %d, found end of file", what, line);
}

bool ReadQuoted(TextFile& file, const char* what, char* out, ReadFailure* failure) {
    if (!SeekSymbol(file, '"', false, what, failure)) return false;
    const size_t quote = file.Position();
    if (!ReadQuotedString(file, out, kTextBufferSize)) {
        return RejectWith(failure, file.LineAt(quote), "expected the closing quote of %s, found end of file", what);
    }
    return true;
}

void NumberJustRead(const TextFile& file, char* out, size_t capacity) {
    const char* data = file.Data();
    size_t begin = file.Position();
    const auto inNumber = [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '+' || c == '-' ||
               c == '.';
    };
    while (begin > 0 && inNumber(data[begin - 1])) --begin;
    size_t length = file.Position() - begin;
    if (length > capacity - 1) length = capacity - 1;  // a longer text is cut, never the value shown
    std::memcpy(out, data + begin, length);
    out[length] = '\0';
}

bool ReadCount(TextFile& file, const char* what, int64_t minimumBytes, int32_t* count, ReadFailure* failure) {
    char expected[96];
    std::snprintf(expected, sizeof(expected), "the %s", what);
    if (!ReadInt(file, expected, count, failure)) return false;
    const int64_t remaining = static_cast<int64_t>(file.Size() - file.Position());
    const bool negative = *count < 0;
    if (negative || static_cast<int64_t>(*count) * minimumBytes > remaining) {
        char written[48];
        NumberJustRead(file, written, sizeof(written));
        return RejectWith(failure, file.LineAt(file.Position()), "expected the %s, found %s%s%s", what,
                          negative ? "the negative value " : "", written,
                          negative ? "" : ", more than the rest of the file can hold");
    }
    return true;
}

bool NextIsWord(TextFile& file, const char* word) {
    const size_t saved = file.Position();
    SkipSpace(file);
    const size_t begin = file.Position();
    const bool read = SkipWord(file);
    const size_t length = file.Position() - begin;
    const bool same = read && length == std::strlen(word) && std::memcmp(file.Data() + begin, word, length) == 0;
    file.MoveTo(saved);
    return same;
}

bool NextIsSymbol(TextFile& file, char symbol) {
    const size_t saved = file.Position();
    SkipSpace(file);
    const bool same = file.Peek() == static_cast<unsigned char>(symbol);
    file.MoveTo(saved);
    return same;
}

void NoteBlocksPastCount(TextFile& file, const char* word, bool numbered, const char* count, int32_t declared,
                         const FileNotes& notes) {
    if (!notes.Wanted()) return;
    const size_t saved = file.Position();
    while (!file.AtEnd()) {
        if (!NextIsWord(file, word)) {
            SkipWord(file);
            continue;
        }
        SkipSpace(file);
        const int line = file.LineAt(file.Position());
        SkipWord(file);
        if (numbered) SkipWord(file);
        if (NextIsSymbol(file, '{')) {
            notes.Note(Notice::kPastDeclaredCount, line, "a \"%s\" block past %s %d, not read", word, count, declared);
        }
    }
    file.MoveTo(saved);
}

void ExplainVersion(TextFile& file, const char* kind, const char* firstKeyword, ReadFailure* failure) {
    file.MoveTo(0);
    if (!SeekKeyword(file, "MD5Version", 0)) {
        file.MoveTo(0);
        if (!SeekKeyword(file, firstKeyword, 0)) RejectWith(failure, 1, "no \"MD5Version\" line");
        return;
    }
    const int line = file.LineAt(file.Position());
    int32_t version = 0;
    char written[48] = "without a number";
    if (ScanInt(file, &version)) {
        if (version == 10) return;
        NumberJustRead(file, written, sizeof(written));
    }
    RejectWith(failure, line, "not an MD5 version 10 %s: found MD5Version %s", kind, written);
}

void NoteOtherVersion(TextFile& file, const FileNotes& notes) {
    if (!notes.Wanted()) return;
    const size_t saved = file.Position();
    file.MoveTo(0);
    if (SeekKeyword(file, "MD5Version", 0)) {
        const int line = file.LineAt(file.Position());
        int32_t version = 0;
        char written[48] = "without a number";
        const bool number = ScanInt(file, &version);
        if (number) NumberJustRead(file, written, sizeof(written));
        if (!number || version != 10) notes.Note(Notice::kOtherVersion, line, "MD5Version %s: read as version 10", written);
    }
    file.MoveTo(saved);
}

}  // namespace brmath
