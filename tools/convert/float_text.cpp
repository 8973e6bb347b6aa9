#include "float_text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace convert {

std::string ShortestFloatText(float value) {
    // The fewest significant digits that read back as the value, correctly rounded.
    char text[48];
    for (int digits = 1; digits <= 9; ++digits) {
        std::snprintf(text, sizeof(text), "%.*e", digits - 1, static_cast<double>(value));
        if (std::strtof(text, nullptr) == value) break;
    }
    // text is [-]d[.ddd]e(+|-)XX: its sign, digits and exponent.
    const char* p = text;
    std::string sign = *p == '-' ? "-" : "";
    if (*p == '-') ++p;
    std::string digits;
    for (; *p != 'e'; ++p) {
        if (*p != '.') digits += *p;
    }
    const int exponent = std::atoi(p + 1);
    const int count = static_cast<int>(digits.size());

    std::string scientific = digits.substr(0, 1);
    if (count > 1) scientific += "." + digits.substr(1);
    char power[16];
    std::snprintf(power, sizeof(power), "e%c%02d", exponent < 0 ? '-' : '+', exponent < 0 ? -exponent : exponent);
    scientific += power;

    std::string fixed;
    if (exponent < 0) {
        fixed = "0." + std::string(static_cast<size_t>(-exponent - 1), '0') + digits;
    } else if (count <= exponent + 1) {
        // A whole number is written with its exact digits, as %.0f writes it.
        char whole[64];
        std::snprintf(whole, sizeof(whole), "%.0f", std::fabs(static_cast<double>(value)));
        fixed = whole;
    } else {
        fixed = digits.substr(0, static_cast<size_t>(exponent + 1)) + "." + digits.substr(static_cast<size_t>(exponent + 1));
    }
    return sign + (fixed.size() <= scientific.size() ? fixed : scientific);
}

}  // namespace convert
