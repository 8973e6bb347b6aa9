#pragma once

// The game's declaration files (.def, .mtr, .skin) as tokens: quoted texts, the marks
// { } ( ) , ; and words, with // and /* */ comments passed over.
#include <string>
#include <vector>

#include "diagnostics.h"

namespace convert {

// The longest token read; a longer one is refused, as the game's own reader does.
constexpr size_t kTokenLimit = 1024;

struct Token {
    std::string text;
    int line = 0;
    bool quoted = false;
    bool Is(const char* mark) const { return !quoted && text == mark; }
};

struct Tokens {
    std::vector<Token> tokens;  // up to the first fault
    bool whole = true;
    Diagnostic fault;  // FILE:LINE, when not whole
};

Tokens Tokenize(const std::string& file, const std::string& text);

}  // namespace convert
