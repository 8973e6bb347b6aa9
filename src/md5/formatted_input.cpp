#include "md5/formatted_input.h"

#include <charconv>
#include <cstring>
#include <limits>

namespace brmath {

namespace {

bool IsSpace(int c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

int DigitValue(int c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 99;
}

// A value too large or too small for float: infinity or zero, told apart by the
// exponent's sign, as strtof gives them.
float OutOfRange(const char* begin, const char* end, bool hex) {
    double wide = 0.0;
    if (!hex) {
        const auto parsed = std::from_chars(begin, end, wide);
        if (parsed.ec == std::errc()) return static_cast<float>(wide);
    }
    const char marker = hex ? 'p' : 'e';
    for (const char* p = begin; p < end; ++p) {
        if ((*p | 0x20) == marker) return p + 1 < end && p[1] == '-' ? 0.0f : std::numeric_limits<float>::infinity();
    }
    return std::numeric_limits<float>::infinity();
}

}  // namespace

void SkipSpace(TextFile& file) {
    while (IsSpace(file.Peek())) file.Advance(1);
}

bool SkipToken(TextFile& file) {
    SkipSpace(file);
    if (file.AtEnd()) return false;
    while (!file.AtEnd() && !IsSpace(file.Peek())) file.Advance(1);
    return true;
}

bool ScanInt(TextFile& file, int32_t* value) {
    SkipSpace(file);
    const char* data = file.Data();
    const size_t size = file.Size();
    size_t at = file.Position();
    bool negative = false;
    if (at < size && (data[at] == '+' || data[at] == '-')) {
        negative = data[at] == '-';
        ++at;
    }
    int base = 10;
    if (at < size && data[at] == '0') {
        base = 8;
        if (at + 2 < size && (data[at + 1] | 0x20) == 'x' && DigitValue(static_cast<unsigned char>(data[at + 2])) < 16) {
            base = 16;
            at += 2;
        }
    }
    const size_t digitsStart = at;
    uint64_t magnitude = 0;
    const uint64_t limit = static_cast<uint64_t>(std::numeric_limits<int32_t>::max()) + 1;
    while (at < size) {
        const int digit = DigitValue(static_cast<unsigned char>(data[at]));
        if (digit >= base) break;
        magnitude = magnitude * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
        if (magnitude > limit) magnitude = limit + 1;  // saturate, keep consuming digits
        ++at;
    }
    if (at == digitsStart) return false;
    file.MoveTo(at);
    if (negative) {
        *value = magnitude >= limit ? std::numeric_limits<int32_t>::min() : -static_cast<int32_t>(magnitude);
    } else {
        *value = magnitude >= limit ? std::numeric_limits<int32_t>::max() : static_cast<int32_t>(magnitude);
    }
    return true;
}

bool ScanFloat(TextFile& file, float* value) {
    SkipSpace(file);
    const char* data = file.Data();
    const size_t size = file.Size();
    size_t at = file.Position();
    bool negative = false;
    if (at < size && (data[at] == '+' || data[at] == '-')) {
        negative = data[at] == '-';
        ++at;
    }
    const char* begin = data + at;
    const char* end = data + size;
    if (begin < end && (*begin == '+' || *begin == '-')) return false;  // one sign only
    bool hex = false;
    if (end - begin > 2 && begin[0] == '0' && (begin[1] | 0x20) == 'x' &&
        (DigitValue(static_cast<unsigned char>(begin[2])) < 16 || begin[2] == '.')) {
        hex = true;
        begin += 2;
    }
    float parsed = 0.0f;
    const auto result = std::from_chars(begin, end, parsed, hex ? std::chars_format::hex : std::chars_format::general);
    if (result.ec == std::errc::invalid_argument) {
        if (!hex) return false;
        parsed = 0.0f;  // "0x" without digits reads as the 0 before it
        file.MoveTo(static_cast<size_t>(begin - 1 - data));
    } else {
        if (result.ec == std::errc::result_out_of_range) parsed = OutOfRange(begin, result.ptr, hex);
        file.MoveTo(static_cast<size_t>(result.ptr - data));
    }
    *value = negative ? -parsed : parsed;
    return true;
}

}  // namespace brmath
