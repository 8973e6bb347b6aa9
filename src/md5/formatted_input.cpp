#include "md5/formatted_input.h"

#include <cstring>

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

namespace {

// Plain decimals with more digits than the inline path takes, up to nineteen, such as
// "0.1234567890", which files written with many decimals hold throughout: computed in
// double where that gives the correctly rounded float, else null.
const char* ScanLongDecimal(const char* p, float* value) {
    static const double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,
                                     1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19};
    uint64_t mantissa = 0;
    int digits = 0, decimals = 0;
    for (; (ClassOf(p) & kDigit) && digits < 19; ++p, ++digits) mantissa = mantissa * 10 + static_cast<uint64_t>(*p - '0');
    if (*p == '.') {
        for (++p; (ClassOf(p) & kDigit) && digits < 19; ++p, ++digits, ++decimals) {
            mantissa = mantissa * 10 + static_cast<uint64_t>(*p - '0');
        }
    }
    const char next = static_cast<char>(*p | 0x20);
    if (digits == 0 || (ClassOf(p) & kDigit) || next == 'e' || next == 'x' || next == 'p' || mantissa > (1ull << 53)) {
        return nullptr;
    }
    // Both operands exact in double (powers of ten to 10^22 are): the quotient is the
    // correctly rounded double, and rounding that to float gives the correctly rounded
    // float unless it fell exactly halfway between two floats, its 29 bits below a
    // float's mantissa reading 1000...0. Nonzero values lie between 1e-19 and 2^53,
    // where every float is normal.
    const double wide = static_cast<double>(mantissa) / kPowers[decimals];
    uint64_t bits = 0;
    std::memcpy(&bits, &wide, sizeof(bits));
    if ((bits & 0x1FFFFFFFull) == 0x10000000ull) return nullptr;
    *value = static_cast<float>(wide);
    return p;
}

}  // namespace

const char* ScanFloatGeneral(const char* begin, const char* end, float* value) {
    if (begin < end && (*begin == '+' || *begin == '-')) return nullptr;  // one sign only
    if (const char* stop = ScanLongDecimal(begin, value)) return stop;
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
