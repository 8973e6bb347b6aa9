// Bytes read as a Quake .pak layer of a game base: its directory checked, and every
// entry it keeps read.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "pack_archive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    convert::GameBase base;
    base.AddLayer(std::make_unique<convert::PackLayer>(
        "fuzz.pak", std::make_unique<convert::ArchiveInMemory>(std::string(reinterpret_cast<const char*>(data), size))));
    for (const std::string& name : base.FilesUnder("", "")) base.Bytes(name);
    return 0;
}
