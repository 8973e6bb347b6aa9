#include "web_base.h"

#include <nlohmann/json.hpp>

#include "base_listing.h"
#include "loaded_model.h"
#include "pack_archive.h"
#include "web_model.h"

namespace brmath_web {

namespace {

using Json = nlohmann::json;

std::string Dump(const Json& json) { return json.dump(-1, ' ', false, Json::error_handler_t::replace); }

}  // namespace

bool SuppliedLayer::Read(const std::string& name, std::string* bytes, std::string* why) {
    const auto refused = refused_.find(name);
    if (refused != refused_.end()) {
        *why = refused->second;
        return false;
    }
    const auto found = supplied_.find(name);
    if (found == supplied_.end()) {
        wanted_.insert(name);
        return false;
    }
    *bytes = found->second;
    return true;
}

int WebBase::AddFolder(const std::string& where, const std::vector<std::string>& names) {
    return AddSupplied(where, names, {});
}

int WebBase::AddSupplied(const std::string& where, const std::vector<std::string>& names, convert::Diagnostics opened) {
    auto layer = std::make_unique<SuppliedLayer>(where, names);
    layer->SetOpened(std::move(opened));
    layers_.push_back(layer.get());
    base_->AddLayer(std::move(layer));
    return static_cast<int>(layers_.size()) - 1;
}

std::string WebBase::ArchivePlace(const std::string& where, double size, const std::string& tail) {
    convert::ZipDirectoryPlace place;
    convert::Diagnostic failure;
    if (!(size >= static_cast<double>(tail.size())) || size > 9e15 ||
        !convert::FindZipDirectory(where, tail, static_cast<uint64_t>(size), &place, &failure)) {
        if (failure.text.empty()) failure = convert::Error(where, "cannot be read");
        return Dump({{"error", convert::MessageLine(failure)}});
    }
    return Dump({{"offset", place.offset}, {"size", place.size}});
}

std::string WebBase::AddArchive(const std::string& where, double size, const std::string& tail, const std::string& directory) {
    convert::ZipDirectoryPlace place;
    convert::ZipDirectory read;
    const bool placed = size >= static_cast<double>(tail.size()) && size <= 9e15 &&
                        convert::FindZipDirectory(where, tail, static_cast<uint64_t>(size), &place, &read.failure);
    if (placed) read = convert::ReadZipDirectory(where, directory, place);
    if (!placed && read.failure.text.empty()) read.failure = convert::Error(where, "cannot be read");
    std::vector<std::string> names;
    Json entries = Json::array();
    for (const convert::ZipEntry& entry : read.entries) {
        names.push_back(convert::NormalName(entry.name));
        entries.push_back({{"name", names.back()}, {"header", entry.headerOffset}, {"method", entry.method},
                           {"packed", entry.compressedSize}, {"size", entry.size}});
    }
    convert::Diagnostics said = read.warnings;
    if (!read.read) said.insert(said.begin(), read.failure);
    return Dump({{"layer", AddSupplied(where, names, std::move(said))}, {"entries", entries}});
}

std::string WebBase::PackPlace(const std::string& where, double size, const std::string& header) {
    uint64_t offset = 0, length = 0;
    convert::Diagnostic failure;
    if (!(size >= 0) || size > 9e15 ||
        !convert::FindPackDirectory(where, header, static_cast<uint64_t>(size), &offset, &length, &failure)) {
        if (failure.text.empty()) failure = convert::Error(where, "cannot be read");
        return Dump({{"error", convert::MessageLine(failure)}});
    }
    return Dump({{"offset", offset}, {"size", length}});
}

std::string WebBase::AddPack(const std::string& where, double size, const std::string& header, const std::string& directory) {
    uint64_t offset = 0, length = 0;
    convert::PackDirectory read;
    const bool placed = size >= 0 && size <= 9e15 &&
                        convert::FindPackDirectory(where, header, static_cast<uint64_t>(size), &offset, &length, &read.failure);
    if (placed && directory.size() == length) read = convert::ReadPackEntries(where, directory, static_cast<uint64_t>(size));
    if (!read.read && read.failure.text.empty()) read.failure = convert::Error(where, "cannot be read");
    std::vector<std::string> names;
    Json entries = Json::array();
    for (const convert::PackEntry& entry : read.entries) {
        names.push_back(convert::NormalName(entry.name));
        entries.push_back({{"name", names.back()}, {"offset", entry.offset}, {"size", entry.size}});
    }
    convert::Diagnostics said = read.warnings;
    if (!read.read) said.insert(said.begin(), read.failure);
    return Dump({{"layer", AddSupplied(where, names, std::move(said))}, {"entries", entries}});
}

void WebBase::Supply(int layer, const std::string& name, std::string bytes) {
    if (layer >= 0 && static_cast<size_t>(layer) < layers_.size()) layers_[static_cast<size_t>(layer)]->Supply(name, std::move(bytes));
}

void WebBase::Refuse(int layer, const std::string& name, const std::string& why) {
    if (layer >= 0 && static_cast<size_t>(layer) < layers_.size()) layers_[static_cast<size_t>(layer)]->Refuse(name, why);
}

std::string WebBase::Wanted() {
    Json wanted = Json::array();
    for (size_t l = 0; l < layers_.size(); ++l) {
        for (const std::string& name : layers_[l]->TakeWanted()) wanted.push_back({{"layer", l}, {"name", name}});
    }
    return Dump(wanted);
}

std::string WebBase::DeclarationFiles() {
    for (const auto& [folder, ending] : {std::pair{"def", ".def"}, {"materials", ".mtr"}, {"skins", ".skin"}}) {
        for (const std::string& file : base_->FilesUnder(folder, ending)) base_->Bytes(file);
    }
    return Wanted();
}

std::string WebBase::Models() {
    if (!read_) {
        decls_.ReadBase(*base_, &declared_);
        read_ = true;
    }
    Json models = Json::array();
    for (const convert::ListedModel& model : convert::ListBase(*base_, decls_, true, false)) {
        models.push_back({{"name", model.name}, {"kind", model.kind}, {"mesh", model.mesh}, {"clips", model.clips},
                          {"problem", model.problem}});
    }
    return Dump(models);
}

std::string WebBase::Prepare(const std::string& name) {
    const convert::GameModel game = convert::ChooseModel(*base_, decls_, name);
    if (!game.found) return Dump({{"error", convert::MessageLine(game.failure)}});
    convert::LoadedModel model = convert::LoadGameModel(*base_, game);
    if (model.loaded) convert::ReadGameModelMaps(*base_, decls_, game, *model.actor);
    const Json wanted = Json::parse(Wanted());
    return wanted.empty() ? Dump({{"ready", true}}) : Dump({{"needs", wanted}});
}

std::string WebBase::MessagesJson() const {
    convert::Diagnostics said = base_->Messages();
    said.insert(said.end(), declared_.begin(), declared_.end());
    return DiagnosticsJson(said);
}

}  // namespace brmath_web
