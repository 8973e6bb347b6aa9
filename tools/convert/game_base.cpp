#include "game_base.h"

#include <algorithm>

#include "platform/listing_order.h"

namespace convert {

std::string BaseKey(const std::string& name) {
    std::string key = NormalName(name);
    for (char& c : key) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    return key;
}

void GameBase::AddLayer(std::unique_ptr<BaseLayer> layer) {
    const Diagnostics opened = layer->Opened();
    messages_.insert(messages_.end(), opened.begin(), opened.end());
    for (std::string& name : layer->Names()) {
        std::string key = BaseKey(name);
        index_[std::move(key)] = Found{layers_.size(), std::move(name)};
    }
    layers_.push_back(std::move(layer));
}

std::string GameBase::Where(const std::string& name) const {
    const auto found = index_.find(BaseKey(name));
    return found == index_.end() ? "" : layers_[found->second.layer]->Where();
}

std::vector<std::string> GameBase::FilesUnder(const std::string& folder, const std::string& ending) const {
    const std::string prefix = folder.empty() ? "" : BaseKey(folder) + "/";
    const std::string end = BaseKey(ending);
    std::vector<std::string> names;
    for (auto it = index_.lower_bound(prefix); it != index_.end() && it->first.compare(0, prefix.size(), prefix) == 0; ++it) {
        const std::string& key = it->first;
        if (key.size() >= end.size() && key.compare(key.size() - end.size(), end.size(), end) == 0) {
            names.push_back(it->second.name);
        }
    }
    return names;
}

const std::string* GameBase::Bytes(const std::string& name, std::string* refused) {
    const std::string key = BaseKey(name);
    const auto found = index_.find(key);
    if (found == index_.end()) return nullptr;
    auto read = read_.find(key);
    if (read == read_.end()) {
        Read entry;
        BaseLayer& layer = *layers_[found->second.layer];
        entry.ok = layer.Read(found->second.name, &entry.bytes, &entry.why);
        if (!entry.ok && entry.why.empty()) return nullptr;  // there later
        if (!entry.ok) messages_.push_back(Error(layer.Where(), "\"" + found->second.name + "\" " + entry.why));
        read = read_.emplace(key, std::move(entry)).first;
    }
    if (!read->second.ok && refused != nullptr) *refused = read->second.why;
    return read->second.ok ? &read->second.bytes : nullptr;
}

void GameBase::List(const char* pattern, NameVisitor visit, void* context) {
    const std::string path = BaseKey(pattern);
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    const std::string wildcard = slash == std::string::npos ? path : path.substr(slash + 1);
    std::vector<std::string> names;
    for (auto it = index_.lower_bound(folder); it != index_.end() && it->first.compare(0, folder.size(), folder) == 0; ++it) {
        const std::string rest = it->first.substr(folder.size());
        if (rest.find('/') != std::string::npos || !brmath::MatchesWildcard(wildcard.c_str(), rest.c_str())) continue;
        const std::string& stored = it->second.name;
        names.push_back(stored.substr(stored.size() - rest.size()));
    }
    std::sort(names.begin(), names.end(), brmath::ListingLess);
    for (const std::string& name : names) visit(context, name.c_str());
}

}  // namespace convert
