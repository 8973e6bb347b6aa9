#include "decl_set.h"

#include "game_base.h"

namespace convert {

namespace {

std::string Lower(std::string text) {
    for (char& c : text) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    return text;
}

// The folders the game reads declarations from, the file ending, and what an
// untyped declaration there is.
struct DeclFolder {
    const char* folder;
    const char* ending;
    const char* untyped;
};
constexpr DeclFolder kDeclFolders[] = {
    {"def", ".def", "entitydef"}, {"materials", ".mtr", "material"}, {"skins", ".skin", "skin"}};

}  // namespace

std::string DeclKey(const std::string& name) {
    std::string key = BaseKey(name);
    const size_t dot = key.rfind('.');
    if (dot != std::string::npos && key.find('/', dot) == std::string::npos) key.resize(dot);
    return key;
}

std::vector<Decl> SplitDecls(const std::string& file, const std::string& text, const std::string& untyped,
                             Diagnostics* messages) {
    const Tokens tokens = Tokenize(file, text);
    if (!tokens.whole) messages->push_back(tokens.fault);
    const std::vector<Token>& t = tokens.tokens;
    std::vector<Decl> decls;
    size_t at = 0;
    while (at < t.size()) {
        Decl decl;
        decl.file = file;
        decl.line = t[at].line;
        const bool typed = at + 1 < t.size() && !t[at + 1].Is("{");
        decl.type = typed ? Lower(t[at].text) : untyped;
        at += typed ? 1 : 0;
        if (at + 1 >= t.size() || !t[at + 1].Is("{")) {
            messages->push_back(Error(file, "expected NAME { after \"" + t[at].text + "\"", t[at].line));
            return decls;
        }
        decl.name = t[at].text;
        at += 2;
        int depth = 1;
        for (; at < t.size(); ++at) {
            depth += t[at].Is("{") ? 1 : t[at].Is("}") ? -1 : 0;
            if (depth == 0) break;
            decl.body.push_back(t[at]);
        }
        if (depth != 0) {
            if (tokens.whole) messages->push_back(Error(file, "the braces of \"" + decl.name + "\" are never closed", decl.line));
            return decls;
        }
        ++at;
        decls.push_back(std::move(decl));
    }
    return decls;
}

void DeclSet::ReadBase(GameBase& base, Diagnostics* messages) {
    for (const DeclFolder& folder : kDeclFolders) {
        for (const std::string& file : base.FilesUnder(folder.folder, folder.ending)) {
            if (file.find('/', std::string(folder.folder).size() + 1) != std::string::npos) continue;  // a subfolder's
            const std::string* text = base.Bytes(file);
            if (text != nullptr) Add(SplitDecls(file, *text, folder.untyped, messages), messages);
        }
    }
}

void DeclSet::Add(std::vector<Decl> decls, Diagnostics* messages) {
    for (Decl& decl : decls) {
        auto& ofType = decls_[decl.type];
        const std::string key = DeclKey(decl.name);
        const auto found = ofType.find(key);
        if (found != ofType.end()) {
            messages->push_back(Warning(decl.file, decl.name + " previously defined at " + found->second.file + ":" +
                                                       std::to_string(found->second.line), decl.line));
        } else {
            ofType.emplace(key, std::move(decl));
        }
    }
}

const Decl* DeclSet::Find(const std::string& type, const std::string& name) const {
    const auto ofType = decls_.find(type);
    if (ofType == decls_.end()) return nullptr;
    const auto found = ofType->second.find(DeclKey(name));
    return found == ofType->second.end() ? nullptr : &found->second;
}

const std::map<std::string, Decl>& DeclSet::OfType(const std::string& type) const {
    static const std::map<std::string, Decl> kNone;
    const auto found = decls_.find(type);
    return found == decls_.end() ? kNone : found->second;
}

}  // namespace convert
