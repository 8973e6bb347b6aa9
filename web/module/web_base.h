#pragma once

// A game base a page was given (a dropped folder, dropped .pk4 files), read as the game
// reads one. The page holds the files: the module learns their names, says which
// bytes it wants, and the page reads, inflates and supplies only those, so that a
// large archive is never read whole.
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "decl_set.h"
#include "game_base.h"
#include "game_model.h"
#include "surface_maps.h"
#include "zip_directory.h"

namespace brmath_web {

// A layer whose names are known at once and whose bytes come when the page supplies
// them; a read before then is a want.
class SuppliedLayer final : public convert::BaseLayer {
public:
    SuppliedLayer(std::string where, std::vector<std::string> names) : where_(std::move(where)), names_(std::move(names)) {}
    const std::string& Where() const override { return where_; }
    std::vector<std::string> Names() override { return names_; }
    bool Read(const std::string& name, std::string* bytes, std::string* why) override;
    convert::Diagnostics Opened() const override { return opened_; }

    void Supply(const std::string& name, std::string bytes) { supplied_[name] = std::move(bytes); }
    void Refuse(const std::string& name, const std::string& why) { refused_[name] = why; }
    std::set<std::string> TakeWanted() { return std::move(wanted_); }
    // What the page's reading of it said (an archive's refused entries).
    void SetOpened(convert::Diagnostics said) { opened_ = std::move(said); }

private:
    convert::Diagnostics opened_;
    std::string where_;
    std::vector<std::string> names_;
    std::map<std::string, std::string> supplied_, refused_;
    std::set<std::string> wanted_;
};

class WebBase {
public:
    WebBase() : base_(std::make_shared<convert::GameBase>()) {}

    // A dropped folder's files, by their paths inside it; a later layer wins.
    int AddFolder(const std::string& where, const std::vector<std::string>& names);
    // Where an archive's directory is, from its last bytes: {"offset", "size"} or {"error"}.
    std::string ArchivePlace(const std::string& where, double size, const std::string& tail);
    // The archive as a layer from its directory's bytes: its entries as JSON
    // [{name, header, method, packed, size}] (header: the local header's offset).
    std::string AddArchive(const std::string& where, double size, const std::string& tail, const std::string& directory);

    // Where a .pak's directory is, from its first 12 bytes: {"offset", "size"} or {"error"}.
    std::string PackPlace(const std::string& where, double size, const std::string& header);
    // The .pak as a layer from its directory's bytes: its entries as JSON [{name, offset, size}].
    std::string AddPack(const std::string& where, double size, const std::string& header, const std::string& directory);

    void Supply(int layer, const std::string& name, std::string bytes);
    void Refuse(int layer, const std::string& name, const std::string& why);
    // The bytes wanted since last asked: JSON [{layer, name}].
    std::string Wanted();
    // The declaration files to supply before Models(): JSON [{layer, name}].
    std::string DeclarationFiles();
    // Every model declaration, entityDef and mesh without one: JSON [{name, kind, mesh, clips, problem}].
    std::string Models();
    // Whether `name` can be shown from what was supplied: JSON {"ready"} or {"needs": [...]} or {"error"}.
    std::string Prepare(const std::string& name);
    // What the base said: JSON records.
    std::string MessagesJson() const;

    std::shared_ptr<convert::GameBase> Base() const { return base_; }
    const convert::DeclSet& Decls() const { return decls_; }

private:
    // A layer of the names given, which the page supplies; its number.
    int AddSupplied(const std::string& where, const std::vector<std::string>& names, convert::Diagnostics opened);

    std::shared_ptr<convert::GameBase> base_;
    std::vector<SuppliedLayer*> layers_;
    convert::DeclSet decls_;
    convert::Diagnostics declared_;
    bool read_ = false;
};

}  // namespace brmath_web
