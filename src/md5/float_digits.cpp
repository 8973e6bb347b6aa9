#include "md5/float_digits.h"

#include <limits>

// std::from_chars for floats where the standard library has it (locale-free by
// definition); elsewhere (WebAssembly's libc++ lacks it) strtof, whose C library there
// knows only the "C" locale.
#if BRMATH_FLOAT_FROM_CHARS
#include <charconv>
#else
#include <cstdlib>
#endif

namespace brmath {
namespace scan_detail {

#if BRMATH_FLOAT_FROM_CHARS

namespace {

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

const char* ParseFloatDigits(const char* begin, const char* end, bool hex, float* value) {
    float parsed = 0.0f;
    const auto result = std::from_chars(begin, end, parsed, hex ? std::chars_format::hex : std::chars_format::general);
    if (result.ec == std::errc::invalid_argument) return nullptr;
    if (result.ec == std::errc::result_out_of_range) parsed = OutOfRange(begin, result.ptr, hex);
    *value = parsed;
    return result.ptr;
}

#else

const char* ParseFloatDigits(const char* begin, const char* end, bool hex, float* value) {
    // strtof would pass over white space and take a sign, which from_chars refuses.
    const char first = begin < end ? *begin : '\0';
    if (first == '\0' || first == '+' || first == '-' || first == ' ' || (first >= '\t' && first <= '\r')) return nullptr;
    const char* from = hex ? begin - 2 : begin;  // strtof reads hexadecimal after its "0x"
    char* stop = nullptr;
    const float parsed = std::strtof(from, &stop);
    // Without hexadecimal digits, strtof reads "0x" as the 0 alone.
    if (stop == from || stop <= begin) return nullptr;
    *value = parsed;
    return stop > end ? end : stop;
}

#endif

}  // namespace scan_detail
}  // namespace brmath
