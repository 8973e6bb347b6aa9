#include "gltf_buffer.h"

#include <cctype>

namespace convert {

std::string UriOf(const std::string& name) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string uri;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isalnum(byte) || c == '-' || c == '.' || c == '_' || c == '~') {
            uri += c;
        } else {
            uri += {'%', kHex[byte >> 4], kHex[byte & 15]};
        }
    }
    return uri;
}

int BufferWriter::AddView(const void* bytes, size_t size, int target) {
    std::vector<unsigned char>& data = model_.buffers[0].data;
    while (data.size() % 4 != 0) data.push_back(0);
    tinygltf::BufferView view;
    view.buffer = 0;
    view.byteOffset = data.size();
    view.byteLength = size;
    view.target = target;
    const auto* first = static_cast<const unsigned char*>(bytes);
    data.insert(data.end(), first, first + size);
    model_.bufferViews.push_back(view);
    return static_cast<int>(model_.bufferViews.size()) - 1;
}

}  // namespace convert
