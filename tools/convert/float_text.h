#pragma once

#include <string>

namespace convert {

// The shortest text that reads back as `value` (finite and not zero), in the form
// std::to_chars gives it: plain digits or an exponent, whichever is shorter, plain
// ones in a tie. For standard libraries without a float to_chars (WebAssembly's).
std::string ShortestFloatText(float value);

}  // namespace convert
