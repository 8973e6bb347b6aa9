#include "material_decl.h"

#include "game_base.h"

namespace convert {

namespace {

// Which of the three maps a keyword (a short form, or a stage's blend) sets, or null.
struct MapSlot {
    bool* has;
    ImageExpr* image;
};
MapSlot SlotOf(MaterialMaps& maps, const std::string& keyword) {
    if (keyword == "diffusemap") return {&maps.hasDiffuse, &maps.diffuse};
    if (keyword == "bumpmap") return {&maps.hasNormal, &maps.normal};
    if (keyword == "specularmap") return {&maps.hasSpecular, &maps.specular};
    return {nullptr, nullptr};
}

class MaterialReader {
public:
    MaterialReader(const Decl& decl, MaterialMaps& maps) : t_(decl.body), decl_(decl), maps_(maps) {}

    void Read() {
        while (at_ < t_.size()) {
            const std::string word = BaseKey(t_[at_].text);
            if (t_[at_].Is("{")) {
                Stage();
            } else if (word == "unsmoothedtangents") {
                maps_.unsmoothedTangents = true;
                ++at_;
            } else if (SlotOf(maps_, word).has != nullptr && !t_[at_].quoted) {
                ++at_;
                Keep(SlotOf(maps_, word), t_[at_ - 1].line);
            } else {
                ++at_;
            }
        }
    }

private:
    const std::vector<Token>& t_;
    const Decl& decl_;
    MaterialMaps& maps_;
    size_t at_ = 0;

    // Reads an image argument into a map the material has not set yet.
    void Keep(MapSlot slot, int line) {
        ImageExpr image;
        std::string why;
        if (!ParseImage(t_, &at_, &image, &why)) {
            maps_.faults.push_back(Warning(decl_.file, "material " + decl_.name + ": " + why, line));
            return;
        }
        if (!*slot.has) {
            *slot.has = true;
            *slot.image = std::move(image);
        }
    }
    // A `{ ... }` stage: `blend` says which map its `map` is; other keywords pass.
    void Stage() {
        const size_t open = at_++;
        std::string blend;
        ImageExpr image;
        bool mapped = false;
        for (int depth = 1; at_ < t_.size() && depth > 0;) {
            const std::string word = BaseKey(t_[at_].text);
            if (t_[at_].Is("{") || t_[at_].Is("}")) {
                depth += t_[at_++].Is("{") ? 1 : -1;
            } else if (depth == 1 && word == "blend" && at_ + 1 < t_.size()) {
                blend = BaseKey(t_[at_ + 1].text);
                at_ += 2;
            } else if (depth == 1 && word == "map" && !mapped) {
                std::string why;
                ++at_;
                mapped = ParseImage(t_, &at_, &image, &why);
                if (!mapped) maps_.faults.push_back(Warning(decl_.file, "material " + decl_.name + ": " + why, t_[open].line));
            } else {
                ++at_;
            }
        }
        const MapSlot slot = SlotOf(maps_, blend);
        if (slot.has != nullptr && mapped && !*slot.has) {
            *slot.has = true;
            *slot.image = std::move(image);
        }
    }
};

}  // namespace

MaterialMaps ReadMaterial(const DeclSet& decls, const std::string& shader) {
    MaterialMaps maps;
    const Decl* decl = decls.Find("material", shader);
    if (decl == nullptr) {
        maps.name = shader;
        maps.hasDiffuse = true;
        maps.diffuse.name = shader;
        return maps;
    }
    maps.name = decl->name;
    maps.declared = true;
    maps.file = decl->file;
    maps.line = decl->line;
    MaterialReader(*decl, maps).Read();
    return maps;
}

std::string SkinnedShader(const DeclSet& decls, const std::string& skin, const std::string& shader) {
    const Decl* decl = skin.empty() ? nullptr : decls.Find("skin", skin);
    if (decl == nullptr) return shader;
    const std::vector<Token>& t = decl->body;
    for (size_t at = 0; at + 1 < t.size(); at += 2) {
        if (BaseKey(t[at].text) == "model") continue;
        if (t[at].text == "*" || DeclKey(t[at].text) == DeclKey(shader)) return t[at + 1].text;
    }
    return shader;
}

}  // namespace convert
