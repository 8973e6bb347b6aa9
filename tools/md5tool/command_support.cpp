#include "command_support.h"

#include "gltf_space.h"
#include "wording.h"

namespace md5tool {

void PrintDiagnostics(const convert::Diagnostics& diagnostics, std::ostream& stream) {
    for (const convert::Diagnostic& diagnostic : diagnostics) stream << convert::MessageLine(diagnostic) << "\n";
}

convert::LoadedModel LoadForCommand(DiskFiles& files, const std::string& mesh, std::ostream& err) {
    convert::LoadedModel model = convert::LoadModel(files, mesh);
    PrintDiagnostics(model.warnings, err);
    if (!model.loaded) PrintDiagnostics({model.failure}, err);
    return model;
}

std::string NoClipMessage(const std::string& mesh, long long clip, int clips) {
    return mesh + ": error: " + convert::NoClipText(clip, clips);
}

bool ScaleOption(double scale, std::ostream& err) {
    if (convert::ScaleInRange(scale)) return true;
    err << "md5tool: --scale wants a number from 1e-6 to 1e6\n";
    return false;
}

}  // namespace md5tool
