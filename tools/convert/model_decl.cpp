#include "model_decl.h"

#include <algorithm>
#include <cstdlib>
#include <map>

#include "game_base.h"

namespace convert {

namespace {

bool EndsWith(const std::string& text, const std::string& ending) {
    return text.size() >= ending.size() && BaseKey(text.substr(text.size() - ending.size())) == ending;
}

// Reads one model declaration's body into `model`, which holds what it inherits.
class ModelReader {
public:
    ModelReader(const DeclSet& decls, const Decl& decl, ModelDecl& model, Diagnostic& failure)
        : decls_(decls), decl_(decl), t_(decl.body), model_(model), failure_(failure) {}

    bool Read(int depth, std::vector<std::string>& chain) {
        for (at_ = 0; at_ < t_.size();) {
            const Token& key = t_[at_++];
            const std::string word = BaseKey(key.text);
            bool ok = true;
            if (word == "inherit") {
                ok = Inherit(key, depth, chain);
            } else if (word == "mesh") {
                ok = Mesh(key);
            } else if (word == "skin") {
                ok = Value(key, &model_.skin);
            } else if (word == "offset") {
                ok = Offset(key);
            } else if (word == "remove") {
                std::string alias;
                ok = Value(key, &alias);
                const auto gone = [&](const DeclaredClip& clip) { return clip.alias == alias; };
                model_.clips.erase(std::remove_if(model_.clips.begin(), model_.clips.end(), gone), model_.clips.end());
            } else if (word == "channel") {
                ++passed_["channel"];
                at_ = std::min(t_.size(), at_ + 1);
                ok = SkipGroup("(", ")");
            } else if (word == "anim") {
                ok = Anim(key);
            } else {
                return Fail(key, "unknown token \"" + key.text + "\"; the game refuses this model");
            }
            if (!ok) return false;
        }
        for (const auto& [what, count] : passed_) {
            model_.notes.push_back(Warning(decl_.file, "model " + decl_.name + ": passed over " + std::to_string(count) + " " +
                                                           what + (count == 1 ? "" : "s") + " (the game's own use)", decl_.line));
        }
        return true;
    }

private:
    const DeclSet& decls_;
    const Decl& decl_;
    const std::vector<Token>& t_;
    ModelDecl& model_;
    Diagnostic& failure_;
    size_t at_ = 0;
    std::map<std::string, int> passed_;
    std::vector<std::string> ownAliases_;

    bool Fail(const Token& where, const std::string& why) {
        failure_ = Error(decl_.file, why, where.line);
        return false;
    }
    bool Value(const Token& key, std::string* value) {
        if (at_ >= t_.size() || (!t_[at_].quoted && t_[at_].text.size() == 1 && std::string("{}(),;").find(t_[at_].text) != std::string::npos)) {
            return Fail(key, key.text + " wants a value");
        }
        *value = t_[at_++].text;
        return true;
    }
    // Passes over an optional group from `open` to its matching `close`.
    bool SkipGroup(const char* open, const char* close) {
        if (at_ >= t_.size() || !t_[at_].Is(open)) return true;
        const Token& start = t_[at_];
        for (int depth = 0; at_ < t_.size(); ++at_) {
            depth += t_[at_].Is(open) ? 1 : t_[at_].Is(close) ? -1 : 0;
            if (depth == 0) {
                ++at_;
                return true;
            }
        }
        return Fail(start, std::string("a ") + open + " opened here is never closed");
    }
    bool Inherit(const Token& key, int depth, std::vector<std::string>& chain);
    bool Mesh(const Token& key) {
        if (!Value(key, &model_.mesh)) return false;
        if (!EndsWith(model_.mesh, ".md5mesh")) return Fail(key, "mesh \"" + model_.mesh + "\" is not a .md5mesh file");
        model_.meshFile = decl_.file;
        model_.meshLine = key.line;
        return true;
    }
    bool Offset(const Token& key) {
        if (at_ + 5 > t_.size() || !t_[at_].Is("(") || !t_[at_ + 4].Is(")")) return Fail(key, "offset wants ( x y z )");
        for (int axis = 0; axis < 3; ++axis) {
            char* end = nullptr;
            const std::string& number = t_[at_ + 1 + axis].text;
            model_.offset[axis] = std::strtof(number.c_str(), &end);
            if (end == number.c_str() || *end != '\0') return Fail(key, "offset wants ( x y z )");
        }
        model_.hasOffset = true;
        at_ += 5;
        return true;
    }
    bool Anim(const Token& key);
};

bool ModelReader::Inherit(const Token& key, int depth, std::vector<std::string>& chain) {
    std::string parent;
    if (!Value(key, &parent)) return false;
    const Decl* decl = decls_.Find("model", parent);
    if (decl == nullptr) return Fail(key, "inherit: no model declaration \"" + parent + "\"");
    if (std::find(chain.begin(), chain.end(), DeclKey(parent)) != chain.end()) {
        return Fail(key, "inherit: \"" + parent + "\" inherits from itself");
    }
    if (depth + 1 >= kInheritLimit) {
        return Fail(key, "inherit: a chain deeper than " + std::to_string(kInheritLimit) + " declarations");
    }
    chain.push_back(DeclKey(parent));
    ModelDecl inherited;
    inherited.name = model_.name;
    ModelReader reader(decls_, *decl, inherited, failure_);
    const bool ok = reader.Read(depth + 1, chain);
    chain.pop_back();
    if (ok) model_ = std::move(inherited);
    return ok;
}

bool ModelReader::Anim(const Token& key) {
    DeclaredClip clip{"", "", decl_.file, key.line};
    if (!Value(key, &clip.alias) || !Value(key, &clip.path)) return false;
    if (model_.mesh.empty()) return Fail(key, "anim \"" + clip.alias + "\" comes before any mesh; the game refuses this model");
    while (at_ + 1 < t_.size() && t_[at_].Is(",")) at_ += 2;  // the other paths, which the game blends
    if (at_ < t_.size() && t_[at_].Is("{")) {
        ++passed_["frame command block"];
        if (!SkipGroup("{", "}")) return false;
    }
    if (std::find(ownAliases_.begin(), ownAliases_.end(), clip.alias) != ownAliases_.end()) {
        model_.notes.push_back(Warning(decl_.file, "anim \"" + clip.alias + "\" is declared twice; the first is kept", key.line));
        return true;
    }
    ownAliases_.push_back(clip.alias);
    for (DeclaredClip& existing : model_.clips) {
        if (existing.alias == clip.alias) {
            existing = clip;  // an inherited clip, replaced in its place
            return true;
        }
    }
    model_.clips.push_back(clip);
    return true;
}

}  // namespace

bool ReadModelDecl(const DeclSet& decls, const std::string& name, ModelDecl* model, Diagnostic* failure) {
    const Decl* decl = decls.Find("model", name);
    if (decl == nullptr) return false;
    *model = ModelDecl{};
    model->name = decl->name;
    std::vector<std::string> chain{DeclKey(name)};
    return ModelReader(decls, *decl, *model, *failure).Read(0, chain);
}

bool ReadEntityModel(const DeclSet& decls, const std::string& name, EntityModel* entity) {
    std::vector<std::string> chain;
    for (const Decl* decl = decls.Find("entitydef", name); decl != nullptr && chain.size() < kInheritLimit;) {
        chain.push_back(DeclKey(decl->name));
        std::string inherit;
        for (size_t k = 0; k + 1 < decl->body.size(); k += 2) {
            const std::string key = BaseKey(decl->body[k].text);
            const std::string& value = decl->body[k + 1].text;
            if (key == "model" && entity->model.empty()) entity->model = value;
            if (key == "skin" && entity->skin.empty()) entity->skin = value;
            if (key == "inherit") inherit = value;
        }
        decl = inherit.empty() || std::find(chain.begin(), chain.end(), DeclKey(inherit)) != chain.end()
                   ? nullptr
                   : decls.Find("entitydef", inherit);
    }
    return !entity->model.empty();
}

}  // namespace convert
