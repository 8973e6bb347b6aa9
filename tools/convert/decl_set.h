#pragma once

// A game's declarations as the game registers them: `[type] NAME { ... }` from every
// def/*.def, materials/*.mtr and skins/*.skin of a base, in sorted order, the first of
// each name winning.
#include <map>
#include <string>
#include <vector>

#include "decl_lexer.h"
#include "diagnostics.h"

namespace convert {

class GameBase;

struct Decl {
    std::string type;  // lower-case: "model", "entitydef", "material", "skin", ...
    std::string name;  // as written
    std::string file;
    int line = 0;
    std::vector<Token> body;  // between its braces
};

// A declaration's name as the game compares it: lower-case, '/' between folders,
// without a trailing ".ext".
std::string DeclKey(const std::string& name);

// The declarations of one file's text; `untyped` is the type of `NAME { ... }`.
std::vector<Decl> SplitDecls(const std::string& file, const std::string& text, const std::string& untyped,
                             Diagnostics* messages);

class DeclSet {
public:
    // Reads the base's declaration folders; what they said goes to messages.
    void ReadBase(GameBase& base, Diagnostics* messages);
    // Adds declarations, the first of each type and name winning over later ones.
    void Add(std::vector<Decl> decls, Diagnostics* messages);
    // The declaration of that type and name, or null.
    const Decl* Find(const std::string& type, const std::string& name) const;
    // Every declaration of a type, by key.
    const std::map<std::string, Decl>& OfType(const std::string& type) const;

private:
    std::map<std::string, std::map<std::string, Decl>> decls_;
};

}  // namespace convert
