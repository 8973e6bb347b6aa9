// The conversion core on a model with many clips, its files in memory: one load, a
// check (a load and its summary), an export to .glb bytes, and the writing of those bytes.
#include <benchmark/benchmark.h>

#include <sstream>

#include "gltf_export.h"
#include "loaded_model.h"
#include "many_clips.h"
#include "model_summary.h"
#include "output_file.h"

namespace {

convert::MemoryFiles& Files() {
    static convert::MemoryFiles files = [] {
        convert::MemoryFiles set;
        for (const auto& [name, bytes] : brmath_bench::TheManyClipRobot().Files()) set.Add(name, bytes);
        return set;
    }();
    return files;
}

void BM_ConvertLoad(benchmark::State& state) {
    for (auto _ : state) {
        const convert::LoadedModel model = convert::LoadModel(Files(), "robot.md5mesh");
        if (!model.loaded || model.actor->animationCount != 24) state.SkipWithError("the model did not load");
    }
}
BENCHMARK(BM_ConvertLoad)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ConvertCheck(benchmark::State& state) {
    for (auto _ : state) {
        const convert::LoadedModel model = convert::LoadModel(Files(), "robot.md5mesh");
        benchmark::DoNotOptimize(convert::Summarize(model, Files()));
    }
}
BENCHMARK(BM_ConvertCheck)->Unit(benchmark::kMillisecond)->UseRealTime();

std::string Glb() {
    convert::LoadedModel model = convert::LoadModel(Files(), "robot.md5mesh");
    convert::ExportRequest request;
    request.output = "robot.glb";
    convert::ExportResult result = convert::ExportGltf(model, Files(), request);
    return result.ok ? std::move(result.files[0].second) : std::string();
}

void BM_ConvertExport(benchmark::State& state) {
    for (auto _ : state) {
        if (Glb().empty()) state.SkipWithError("the export failed");
    }
}
BENCHMARK(BM_ConvertExport)->Unit(benchmark::kMillisecond)->UseRealTime();

// Writing the export's bytes as md5tool does: a temporary file beside it, renamed.
void BM_WriteGlb(benchmark::State& state) {
    const std::string bytes = Glb();
    const std::string path = brmath_bench::TheManyClipRobot().Folder() + "/written.glb";
    std::ostringstream unused;
    std::string error;
    for (auto _ : state) {
        if (!md5tool::WriteOutput(path, bytes, unused, &error)) state.SkipWithError(error.c_str());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
}
BENCHMARK(BM_WriteGlb)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
