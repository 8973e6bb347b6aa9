#pragma once

// The one buffer of an exported glTF, with its views and accessors, appended to as the
// model is built.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "tinygltf_settings.h"

namespace convert {

// A file name as a relative URI: every byte but the unreserved ones percent-encoded.
std::string UriOf(const std::string& name);

class BufferWriter {
public:
    explicit BufferWriter(tinygltf::Model& model) : model_(model) { model_.buffers.emplace_back(); }

    // Room for `bytes` in all, so that the buffer grows without being copied over.
    void Reserve(size_t bytes) { model_.buffers[0].data.reserve(bytes); }

    // Appends values as one view and one accessor; min and max are set for `bounded`.
    // `target` 0 gives the view no target (animation data, inverse bind matrices).
    template <typename T>
    int Add(const std::vector<T>& values, int componentType, int type, int components, int target,
            bool bounded = false) {
        tinygltf::Accessor accessor;
        accessor.bufferView = AddView(values.data(), values.size() * sizeof(T), target);
        accessor.componentType = componentType;
        accessor.type = type;
        accessor.count = values.size() / static_cast<size_t>(components);
        if (bounded && accessor.count > 0) {
            accessor.minValues.assign(static_cast<size_t>(components), INFINITY);
            accessor.maxValues.assign(static_cast<size_t>(components), -INFINITY);
            for (size_t i = 0; i < values.size(); ++i) {
                const size_t c = i % static_cast<size_t>(components);
                accessor.minValues[c] = std::min(accessor.minValues[c], static_cast<double>(values[i]));
                accessor.maxValues[c] = std::max(accessor.maxValues[c], static_cast<double>(values[i]));
            }
        }
        model_.accessors.push_back(accessor);
        return static_cast<int>(model_.accessors.size()) - 1;
    }

    // Appends bytes as one view, four-byte aligned; returns the view's index.
    int AddView(const void* bytes, size_t size, int target = 0);

private:
    tinygltf::Model& model_;
};

}  // namespace convert
