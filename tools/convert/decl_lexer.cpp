#include "decl_lexer.h"

#include <cstring>

namespace convert {

namespace {

bool IsMark(char c) { return std::strchr("{}(),;", c) != nullptr; }
bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }

struct Scanner {
    const std::string& file;
    const std::string& text;
    size_t at = 0;
    int line = 1;
    Tokens result;

    bool Fail(const std::string& why, int where) {
        result.whole = false;
        result.fault = Error(file, why, where);
        return false;
    }
    void Advance() {
        if (text[at] == '\n') ++line;
        ++at;
    }
    // Passes over spaces and comments; false on an unterminated comment.
    bool SkipBlanks() {
        while (at < text.size()) {
            if (IsSpace(text[at])) {
                Advance();
            } else if (text.compare(at, 2, "//") == 0) {
                while (at < text.size() && text[at] != '\n') ++at;
            } else if (text.compare(at, 2, "/*") == 0) {
                const int opened = line;
                const size_t end = text.find("*/", at + 2);
                if (end == std::string::npos) return Fail("a comment opened here is never closed", opened);
                while (at < end + 2) Advance();
            } else {
                return true;
            }
        }
        return true;
    }
    bool Quoted() {
        Token token{"", line, true};
        const size_t end = text.find('"', at + 1);
        if (end == std::string::npos) return Fail("a quoted text opened here is never closed", line);
        for (++at; at < end; Advance()) token.text.push_back(text[at]);
        ++at;
        return Keep(std::move(token));
    }
    bool Word() {
        Token token{"", line, false};
        if (IsMark(text[at])) {
            token.text = text[at++];
        } else {
            const size_t start = at;
            while (at < text.size() && !IsSpace(text[at]) && !IsMark(text[at]) && text[at] != '"' &&
                   text.compare(at, 2, "//") != 0 && text.compare(at, 2, "/*") != 0) {
                ++at;
            }
            token.text = text.substr(start, at - start);
        }
        return Keep(std::move(token));
    }
    bool Keep(Token token) {
        if (token.text.size() > kTokenLimit) {
            return Fail("a token longer than " + std::to_string(kTokenLimit) + " characters", token.line);
        }
        result.tokens.push_back(std::move(token));
        return true;
    }
};

}  // namespace

Tokens Tokenize(const std::string& file, const std::string& text) {
    Scanner scanner{file, text, 0, 1, {}};
    while (scanner.SkipBlanks() && scanner.at < text.size()) {
        if (!(text[scanner.at] == '"' ? scanner.Quoted() : scanner.Word())) break;
    }
    return std::move(scanner.result);
}

}  // namespace convert
