#pragma once

#include <cstdint>

#include "md5/text_file.h"

namespace brmath {

// The conversions of formatted input, independent of the host's locale. Each skips
// white space first and returns false (storing nothing) when no value can be read.

// "%i": decimal, octal after a leading 0, hexadecimal after 0x; saturates at the
// limits of a 32-bit integer.
bool ScanInt(TextFile& file, int32_t* value);

// "%f": a single-precision float, correctly rounded: decimal or hexadecimal digits
// with an optional exponent, or inf, infinity, nan.
bool ScanFloat(TextFile& file, float* value);

// "%s": passes over the next run of non-white-space characters.
bool SkipToken(TextFile& file);

// Skips spaces, tabs, line breaks, vertical tabs and form feeds.
void SkipSpace(TextFile& file);

}  // namespace brmath
