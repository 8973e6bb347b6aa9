// md5tool export: the conversion's messages on the error stream, its files written all
// together or not at all.
#include "commands.h"
#include "gltf_export.h"
#include "output_file.h"

namespace md5tool {

int Export(const ExportOptions& options, std::ostream& out, std::ostream& err) {
    const ExportResult result = ExportGltf(options);
    for (const std::string& message : result.messages) err << message << "\n";
    if (result.status != kSuccess) return result.status;
    std::string error;
    const bool written = result.files.size() == 1
                             ? WriteOutput(result.files[0].first, result.files[0].second, out, &error)
                             : WriteOutputs(result.files, &error);
    if (!written) {
        err << "md5tool: " << error << "\n";
        return kBadInput;
    }
    (options.output == "-" ? err : out) << result.summary << "\n";
    return kSuccess;
}

}  // namespace md5tool
