// md5tool export: the options checked in md5tool's words, the model read once, the
// conversion's messages on the error stream, its files written all together or not at all.
#include "command_support.h"
#include "commands.h"
#include "gltf_export.h"
#include "gltf_primitive.h"
#include "output_file.h"
#include "wording.h"

namespace md5tool {

using convert::Counted;

namespace {

bool ValidOptions(const ExportOptions& options, std::ostream& err) {
    bool binary = false;
    if (!convert::IsGltfOutput(options.output, &binary)) {
        err << "md5tool: -o wants a name ending in .glb (binary glTF) or .gltf (glTF JSON), not \"" << options.output
            << "\"\n";
        return false;
    }
    if (!ScaleOption(options.scale, err)) return false;
    if (options.embed && binary) err << "md5tool: warning: --embed has no effect on a .glb, which holds its buffer\n";
    if (options.maxWeights < 1 || options.maxWeights > convert::kMaxWeights) {
        err << "md5tool: --max-weights wants 1 to " << convert::kMaxWeights << "\n";
        return false;
    }
    return true;
}

std::string Summary(const std::string& output, const convert::ExportedCounts& counts) {
    return output + ": " + Counted(counts.joints, "joint", "joints") + ", " + Counted(counts.meshes, "mesh", "meshes") +
           ", " + Counted(counts.vertices, "vertex", "vertices") +
           (counts.unusedVertices > 0 ? " (" + std::to_string(counts.unusedVertices) + " that no triangle uses)" : "") +
           ", " + Counted(counts.triangles, "triangle", "triangles") + ", " + Counted(counts.clips, "clip", "clips") +
           ", " + Counted(counts.frames, "frame", "frames");
}

convert::ExportRequest ExportRequestOf(const ExportOptions& options) {
    convert::ExportRequest request;
    request.output = options.output;
    request.clip = options.clipGiven ? options.clip : -1;
    request.scale = options.scale;
    request.embed = options.embed;
    request.maxWeights = options.maxWeights;
    return request;
}

}  // namespace

int Export(const ExportOptions& given, std::ostream& out, std::ostream& err) {
    if (!ValidOptions(given, err)) return kBadUsage;
    ExportOptions options = given;
    ModelFiles files;
    files.bases = options.bases;
    convert::LoadedModel model = LoadForCommand(files, options.mesh, err, err);
    if (!model.loaded || !ClipByName(model, options.clipName, &options.clip, err)) return kBadInput;
    if (options.clipGiven && options.clip < 0) {
        err << NoClipMessage(options.mesh, options.clip, model.actor->animationCount) << "\n";
        return kBadInput;
    }
    convert::ExportRequest request = ExportRequestOf(options);
    convert::ModelMaps maps;
    if (files.fromBase) {
        maps = files.MapsOf(*model.actor);
        PrintDiagnostics(maps.warnings, err);
        request.maps = &maps.meshes;
    }
    const convert::ExportResult result = convert::ExportGltf(model, files.Files(), request);
    PrintDiagnostics(result.diagnostics, err);
    if (!result.ok) return kBadInput;
    std::string error;
    const bool written = result.files.size() == 1
                             ? WriteOutput(result.files[0].first, result.files[0].second, out, &error)
                             : WriteOutputs(result.files, &error);
    if (!written) {
        err << "md5tool: " << error << "\n";
        return kBadInput;
    }
    (options.output == "-" ? err : out) << Summary(options.output, result.counts) << "\n";
    return kSuccess;
}

}  // namespace md5tool
