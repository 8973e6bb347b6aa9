#pragma once

// What a conversion says about its files, as records: each front end words and shows
// them its own way.
#include <string>
#include <vector>

namespace convert {

enum class Severity { kWarning, kError };

struct Diagnostic {
    std::string file;  // as the request named it; empty: about the request itself
    int line = 0;      // 1-based; 0: the whole file
    Severity severity = Severity::kWarning;
    std::string text;
};

using Diagnostics = std::vector<Diagnostic>;

inline Diagnostic Warning(const std::string& file, const std::string& text, int line = 0) {
    return {file, line, Severity::kWarning, text};
}
inline Diagnostic Error(const std::string& file, const std::string& text, int line = 0) {
    return {file, line, Severity::kError, text};
}

// "FILE:LINE: warning: TEXT" ("FILE: error: TEXT" for line 0), the compilers' way.
std::string MessageLine(const Diagnostic& diagnostic);

}  // namespace convert
