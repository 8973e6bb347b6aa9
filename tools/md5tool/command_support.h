#pragma once

// What md5tool's commands share: their files, and the core's records in md5tool's words.
#include <ostream>
#include <string>

#include "diagnostics.h"
#include "disk_files.h"
#include "loaded_model.h"

namespace md5tool {

// Each record a line: "FILE:LINE: warning: TEXT", "FILE: error: TEXT".
void PrintDiagnostics(const convert::Diagnostics& diagnostics, std::ostream& stream);

// Reads a model for a command that goes on to use it: its warnings and, when the
// library refuses it, why go to `err`.
convert::LoadedModel LoadForCommand(DiskFiles& files, const std::string& mesh, std::ostream& err);

// "MESH: error: no clip 5 (its clips are 0 to 2)", for a clip asked for by number.
std::string NoClipMessage(const std::string& mesh, long long clip, int clips);

// "md5tool: --scale wants a number from 1e-6 to 1e6" unless it is in range.
bool ScaleOption(double scale, std::ostream& err);

}  // namespace md5tool
