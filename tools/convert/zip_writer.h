#pragma once

// A zip archive built in memory (a game's .pk4), each file deflated by zlib unless
// storing it is smaller.
#include <cstdint>
#include <string>

namespace convert {

class ZipWriter {
public:
    // Adds a file under `name` ('/' between folders); names are not checked here.
    // Stored files (deflate false) make the same archive with any zlib.
    void Add(const std::string& name, const std::string& bytes, bool deflate = true);
    // The whole archive: the files, then the directory.
    std::string Finish();

private:
    std::string files_;
    std::string directory_;
    uint16_t count_ = 0;
};

}  // namespace convert
