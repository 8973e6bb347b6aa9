#pragma once

// A game's files as the game finds them: layers of loose folders and .pk4 archives,
// a later layer winning over an earlier one, names matched without regard to case
// and with '\' as '/'. An archive entry is read and inflated only when asked for.
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "diagnostics.h"
#include "file_set.h"

namespace convert {

// One place a base finds files: a folder's loose files, or an archive.
class BaseLayer {
public:
    virtual ~BaseLayer() = default;
    // The folder or archive, as messages name it.
    virtual const std::string& Where() const = 0;
    // Every file it holds, '/' between folders.
    virtual std::vector<std::string> Names() = 0;
    // False with why when the file cannot be read; with `why` left empty when the layer
    // has the file only later (a page still fetching it): such a miss is neither kept
    // nor said, and a later read tries again.
    virtual bool Read(const std::string& name, std::string* bytes, std::string* why) = 0;
    // What opening it said (files it will not give, and why).
    virtual Diagnostics Opened() const { return {}; }
};

// Files held in memory as a layer: a page's dropped folder, or a test's.
class MemoryLayer final : public BaseLayer {
public:
    explicit MemoryLayer(std::string where) : where_(std::move(where)) {}
    void Add(const std::string& name, std::string bytes) { files_[NormalName(name)] = std::move(bytes); }
    const std::string& Where() const override { return where_; }
    std::vector<std::string> Names() override {
        std::vector<std::string> names;
        for (const auto& [name, bytes] : files_) names.push_back(name);
        return names;
    }
    bool Read(const std::string& name, std::string* bytes, std::string* why) override {
        const auto found = files_.find(name);
        if (found == files_.end()) {
            *why = "is not there";
            return false;
        }
        *bytes = found->second;
        return true;
    }

private:
    std::string where_;
    std::map<std::string, std::string> files_;
};

// The name as a base compares it: lower-case, '/' between folders.
std::string BaseKey(const std::string& name);

class GameBase final : public FileSet {
public:
    // Adds a layer that wins over every layer added before it.
    void AddLayer(std::unique_ptr<BaseLayer> layer);
    // What opening the layers and reading from them said.
    const Diagnostics& Messages() const { return messages_; }
    void Say(Diagnostic message) { messages_.push_back(std::move(message)); }
    // Where a file of the base comes from ("base/pak000.pk4"), or empty.
    std::string Where(const std::string& name) const;
    // The files of a folder ("": the whole base) and the folders in it whose names end in `ending`, as
    // their winning layers store them, in the order of their keys.
    std::vector<std::string> FilesUnder(const std::string& folder, const std::string& ending) const;

    const std::string* Bytes(const std::string& name, std::string* refused = nullptr) override;
    bool Has(const std::string& name) override { return index_.count(BaseKey(name)) != 0; }
    void List(const char* pattern, NameVisitor visit, void* context) override;

private:
    struct Found {
        size_t layer;
        std::string name;  // as the layer stores it
    };
    struct Read {
        bool ok = false;
        std::string bytes;
        std::string why;
    };
    std::vector<std::unique_ptr<BaseLayer>> layers_;
    std::map<std::string, Found> index_;  // by BaseKey
    std::map<std::string, Read> read_;    // by BaseKey
    Diagnostics messages_;
};

}  // namespace convert
