// Archive bytes read as a .pk4 layer of a game base: its directory checked, and every
// entry it keeps read and inflated.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "archive_layer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    convert::GameBase base;
    base.AddLayer(std::make_unique<convert::ArchiveLayer>(
        "fuzz.pk4", std::make_unique<convert::ArchiveInMemory>(std::string(reinterpret_cast<const char*>(data), size))));
    for (const std::string& name : base.FilesUnder("", "")) base.Bytes(name);
    return 0;
}
