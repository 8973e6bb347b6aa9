#pragma once

#include <cctype>
#include <string>

namespace brmath_test {

// A GoogleTest parameter name from any text: letters and digits kept, the rest '_'.
inline std::string TestNameFrom(std::string text) {
    for (char& c : text) {
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    }
    return text;
}

}  // namespace brmath_test
