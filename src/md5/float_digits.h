#pragma once

namespace brmath {
namespace scan_detail {

// The correctly rounded float of the digits at `begin`, which carry no sign and, when
// `hex`, no "0x" (it stands just before them): decimal or hexadecimal digits with a
// point and an exponent, or inf, infinity, nan. Reads no further than `end`, where the
// text ends in a zero byte. A value too large for a float is infinity and one too small
// is zero or subnormal, as strtof gives them. Returns where the number ends, or null
// when none starts at `begin`. Independent of the host's locale.
const char* ParseFloatDigits(const char* begin, const char* end, bool hex, float* value);

}  // namespace scan_detail
}  // namespace brmath
