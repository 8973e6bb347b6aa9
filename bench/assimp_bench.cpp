// Loading the large generated model with BRMath and with Assimp's MD5 importer, side by
// side in one run (built only where Assimp is installed). Both read the same mesh file
// and the clip beside it.
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <benchmark/benchmark.h>

#include <assimp/Importer.hpp>
#include <string>

#include "brmath/brmath.h"
#include "support/tube_model.h"

namespace {

const brmath_test::TemporaryTube& Model() {
    static const brmath_test::TemporaryTube model("brmath-assimp-bench", brmath_test::LargeTube());
    return model;
}

void BM_LoadWithBRMath(benchmark::State& state) {
    static const int slot = MD5_AddActor();
    const std::string& path = Model().Path();  // written before the timing starts
    for (auto _ : state) {
        if (MD5_LoadActor(slot, path.c_str()) != 1) state.SkipWithError("the model did not load");
    }
    state.SetBytesProcessed(state.iterations() * Model().Bytes());
}
BENCHMARK(BM_LoadWithBRMath)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_LoadWithAssimp(benchmark::State& state) {
    const std::string& path = Model().Path();
    for (auto _ : state) {
        Assimp::Importer importer;
        const aiScene* scene = importer.ReadFile(path, 0);
        if (scene == nullptr || scene->mNumMeshes == 0) state.SkipWithError(importer.GetErrorString());
        benchmark::DoNotOptimize(scene);
    }
    state.SetBytesProcessed(state.iterations() * Model().Bytes());
}
BENCHMARK(BM_LoadWithAssimp)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
