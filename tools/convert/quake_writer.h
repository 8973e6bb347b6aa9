#pragma once

// Quake's old formats written small, for the sample and the tests' bases: a PACK
// file, an .mdl and an .md2 that carry only frame names (and the .md2's skin list)
// around one vertex, an 8-bit .lmp and .pcx.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace convert {

std::string WritePack(const std::vector<std::pair<std::string, std::string>>& files);
std::string WriteMdl(const std::vector<std::string>& frames);
std::string WriteMd2(const std::vector<std::string>& frames, const std::vector<std::string>& skins);
std::string WriteLmp(int width, int height, const std::vector<uint8_t>& indices);
// With its 768-byte palette at its end.
std::string WritePcx(int width, int height, const std::vector<uint8_t>& indices, const std::string& palette);

}  // namespace convert
