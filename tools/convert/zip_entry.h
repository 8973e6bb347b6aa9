#pragma once

// An archive entry's bytes, inflated by zlib when the entry was deflated, and trusted
// only when they come to the size and checksum its directory gives.
#include <string>

#include "zip_directory.h"

namespace convert {

bool ReadZipEntry(ArchiveBytes& archive, const ZipEntry& entry, std::string* bytes, std::string* why);

}  // namespace convert
