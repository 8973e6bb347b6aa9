#include "md5/formatted_input.h"

#include "md5/float_digits.h"

namespace brmath {
namespace scan_detail {

namespace {

constexpr CharClassTable BuildCharClasses() {
    CharClassTable table{};
    for (int c = 0; c < 256; ++c) {
        const bool space = c == ' ' || (c >= '\t' && c <= '\r');
        table.entries[c] = space                    ? (kSpace | kSpaceOrZero)
                           : c == 0                 ? kSpaceOrZero
                           : (c >= '0' && c <= '9') ? kDigit
                           : (c == '(' || c == ')') ? kParenthesis
                                                    : 0;
    }
    return table;
}

}  // namespace

extern const CharClassTable kCharClasses = BuildCharClasses();

namespace {

int DigitValue(unsigned char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 99;
}

}  // namespace

const char* ScanIntBased(const char* p, const char* end, int base, uint64_t* magnitude) {
    // A leading 0 is octal unless 0x and a hexadecimal digit follow.
    if (end - p > 2 && (p[1] | 0x20) == 'x' && DigitValue(static_cast<unsigned char>(p[2])) < 16) {
        base = 16;
        p += 2;
    }
    uint64_t value = 0;
    while (p < end) {
        const int digit = DigitValue(static_cast<unsigned char>(*p));
        if (digit >= base) break;
        value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
        if (value > kIntLimit) value = kIntLimit + 1;
        ++p;
    }
    *magnitude = value;
    return p;
}

const char* ScanFloatGeneral(const char* begin, const char* end, float* value) {
    if (begin < end && (*begin == '+' || *begin == '-')) return nullptr;  // one sign only
    bool hex = false;
    if (end - begin > 2 && begin[0] == '0' && (begin[1] | 0x20) == 'x' &&
        (DigitValue(static_cast<unsigned char>(begin[2])) < 16 || begin[2] == '.')) {
        hex = true;
        begin += 2;
    }
    const char* stop = ParseFloatDigits(begin, end, hex, value);
    if (stop == nullptr) {
        if (!hex) return nullptr;
        *value = 0.0f;  // "0x" without digits reads as the 0 before it
        return begin - 1;
    }
    return stop;
}

}  // namespace scan_detail
}  // namespace brmath
