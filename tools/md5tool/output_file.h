#pragma once

#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace md5tool {

// Writes bytes to `path` whole or not at all: "-" is standard output (`out`); a
// regular file is written under a temporary name in its folder and renamed when every
// write and the close succeeded, keeping an existing file's mode, and writing through a
// symbolic link to the file it names; a device or pipe is written in place. False with
// the system's reason in `error` when any step fails; no partial file is left under
// the output name.
bool WriteOutput(const std::string& path, const std::string& bytes, std::ostream& out, std::string* error);

// Writes several files (such as a .gltf and its .bin) the same way, and puts them in
// place only when every one was written whole; no name is standard output.
bool WriteOutputs(const std::vector<std::pair<std::string, std::string>>& files, std::string* error);

}  // namespace md5tool
