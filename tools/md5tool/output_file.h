#pragma once

#include <ostream>
#include <string>

namespace md5tool {

// Writes bytes to `path` whole or not at all: "-" is standard output (`out`); a
// regular file is written under a temporary name beside it and renamed when every
// write and the close succeeded; a device or pipe is written in place. False with
// the system's reason in `error` when any step fails; no partial file is left under
// the output name.
bool WriteOutput(const std::string& path, const std::string& bytes, std::ostream& out, std::string* error);

}  // namespace md5tool
