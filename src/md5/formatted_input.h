#pragma once

#include <cstdint>
#include <cstring>
#include <limits>

#include "md5/text_file.h"

namespace brmath {

// The conversions of formatted input, independent of the host's locale. Each skips
// white space first (also when it then fails, as formatted input does) and returns
// false, storing nothing, when no value can be read. They run once per number of a
// model file, so the common cases are inline.

namespace scan_detail {

// Character classes of formatted input. The text ends in a zero byte (TextFile keeps
// one after the last character), which belongs to no class, so scanning loops stop
// at the end without a bounds test; a zero byte inside the text is told apart by
// its position.
enum : uint8_t { kSpace = 1, kDigit = 2, kSpaceOrZero = 4, kParenthesis = 8 };
struct CharClassTable {
    uint8_t entries[256];
};
extern const CharClassTable kCharClasses;

inline uint8_t ClassOf(const char* p) { return kCharClasses.entries[static_cast<unsigned char>(*p)]; }

// Passes over white space and "//" comments, which run to the end of their line
// wherever they stand. `end` is the end of the text.
inline const char* SkipSpaces(const char* p, const char* end) {
    for (;;) {
        while (ClassOf(p) & kSpace) ++p;
        if (p[0] != '/' || p[1] != '/' || p >= end) return p;
        const void* lineEnd = std::memchr(p, '\n', static_cast<size_t>(end - p));
        p = lineEnd != nullptr ? static_cast<const char*>(lineEnd) : end;
    }
}

// A parenthesis is a word of its own, glued to its neighbours or not.
inline bool IsParenthesis(const char* p) { return (ClassOf(p) & kParenthesis) != 0; }

// Where a number starts: past white space (the file's position moves there, as
// formatted input's does) and past one sign. False at the end of the text.
struct NumberStart {
    const char* data;
    const char* end;
    const char* p;
    bool negative;
};

inline bool StartNumber(TextFile& file, NumberStart* start) {
    start->data = file.Data();
    start->end = start->data + file.Size();
    const char* p = start->data + file.Position();
    if (p >= start->end) return false;
    p = SkipSpaces(p, start->end);
    file.MoveTo(static_cast<size_t>(p - start->data));
    start->negative = *p == '-';
    if (*p == '+' || *p == '-') ++p;
    start->p = p;
    return true;
}

// Everything but plain decimals: hexadecimal, exponents, long digit strings, inf, nan.
const char* ScanFloatGeneral(const char* begin, const char* end, float* value);
// Octal and hexadecimal integers.
const char* ScanIntBased(const char* begin, const char* end, int base, uint64_t* magnitude);

constexpr uint64_t kIntLimit = static_cast<uint64_t>(std::numeric_limits<int32_t>::max()) + 1;

}  // namespace scan_detail

// Skips spaces, tabs, line breaks, vertical tabs, form feeds and "//" comments.
inline void SkipSpace(TextFile& file) {
    const char* data = file.Data();
    if (file.Position() < file.Size()) {
        file.MoveTo(static_cast<size_t>(scan_detail::SkipSpaces(data + file.Position(), data + file.Size()) - data));
    }
}

// Passes over the next word without reading it: a parenthesis alone, or a run of
// characters up to white space or a parenthesis. False at the end of the text.
inline bool SkipWord(TextFile& file) {
    using namespace scan_detail;
    const char* data = file.Data();
    const char* end = data + file.Size();
    const char* p = data + file.Position();
    if (p >= end) return false;
    p = SkipSpaces(p, end);
    if (p == end) {
        file.MoveTo(file.Size());
        return false;
    }
    if (IsParenthesis(p)) {
        ++p;
    } else {
        do {
            while (!(ClassOf(p) & (kSpaceOrZero | kParenthesis))) ++p;
        } while (*p == '\0' && p < end && ++p);  // a zero byte inside a word belongs to it
    }
    file.MoveTo(static_cast<size_t>(p - data));
    return true;
}

// Passes over `symbol` (a parenthesis) when it comes next; anything else in its place
// is passed over as a word, as it always was. False at the end of the text.
inline bool SkipSymbol(TextFile& file, char symbol) {
    SkipSpace(file);
    if (file.Peek() == static_cast<unsigned char>(symbol)) {
        file.Advance(1);
        return true;
    }
    return SkipWord(file);
}

// "%i": decimal, octal after a leading 0, hexadecimal after 0x; saturates at the
// limits of a 32-bit integer.
inline bool ScanInt(TextFile& file, int32_t* value) {
    using namespace scan_detail;
    NumberStart start;
    if (!StartNumber(file, &start)) return false;
    const char* data = start.data;
    const char* p = start.p;
    const bool negative = start.negative;
    uint64_t magnitude = 0;
    const char* digits = p;
    if (*p == '0') {
        p = ScanIntBased(p, start.end, 8, &magnitude);
    } else {
        // No test per digit: a run that starts with 1 to 9 passes the limit once it is
        // longer than ten digits (the sum may then wrap, and is not used), and a run of
        // ten or fewer is read exactly.
        while (ClassOf(p) & kDigit) magnitude = magnitude * 10 + static_cast<uint64_t>(*p++ - '0');
        if (p - digits > 10 || magnitude > kIntLimit) magnitude = kIntLimit + 1;  // saturate
    }
    if (p == digits) return false;
    file.MoveTo(static_cast<size_t>(p - data));
    if (negative) {
        *value = magnitude >= kIntLimit ? std::numeric_limits<int32_t>::min() : -static_cast<int32_t>(magnitude);
    } else {
        *value = magnitude >= kIntLimit ? std::numeric_limits<int32_t>::max() : static_cast<int32_t>(magnitude);
    }
    return true;
}

// "%f": a single-precision float, correctly rounded: decimal or hexadecimal digits
// with an optional exponent, or inf, infinity, nan.
inline bool ScanFloat(TextFile& file, float* value) {
    using namespace scan_detail;
    static const float kPowersOfTen[] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f, 1e6f, 1e7f, 1e8f, 1e9f, 1e10f};
    NumberStart start;
    if (!StartNumber(file, &start)) return false;
    const char* data = start.data;
    const char* p = start.p;
    const char* begin = p;

    // Plain decimals such as "-12.3456" whose digits fit in a float's 24-bit mantissa,
    // with at most ten decimals: both operands of one IEEE division are then exact,
    // and its result is the correctly rounded value. The digit loops count nothing:
    // lengths come from the positions, and a sum that a long run wraps is not used.
    uint32_t mantissa = 0;
    while (ClassOf(p) & kDigit) mantissa = mantissa * 10 + static_cast<uint32_t>(*p++ - '0');
    ptrdiff_t digits = p - begin, scale = 0;
    if (*p == '.') {
        const char* decimals = ++p;
        while (ClassOf(p) & kDigit) mantissa = mantissa * 10 + static_cast<uint32_t>(*p++ - '0');
        scale = p - decimals;
        digits += scale;
    }
    const char next = static_cast<char>(*p | 0x20);
    const bool plain = digits > 0 && digits < 9 && scale <= 10 && mantissa <= (1u << 24) &&
                       next != 'e' && next != 'x' && next != 'p';
    float parsed;
    if (plain) {
        parsed = static_cast<float>(mantissa) / kPowersOfTen[scale];
    } else {
        p = ScanFloatGeneral(begin, start.end, &parsed);
        if (p == nullptr) return false;
    }
    file.MoveTo(static_cast<size_t>(p - data));
    *value = start.negative ? -parsed : parsed;
    return true;
}

}  // namespace brmath
