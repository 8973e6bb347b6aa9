// Loading, posing and drawing the large generated model through the exports.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>

#include "actor/actor_table.h"
#include "anim/kernels.h"
#include "anim/pose_path.h"
#include "anim/prepared_mesh.h"
#include "brmath/brmath.h"
#include "md5/formatted_input.h"
#include "md5/mesh_reader.h"
#include "support/recording_device.h"
#include "support/tube_model.h"

namespace {

// The model is written once per run into a temporary folder.
const brmath_test::TemporaryTube& Model() {
    static const brmath_test::TemporaryTube model("brmath-bench-model", brmath_test::LargeTube());
    return model;
}

struct ModelCounts {
    int64_t vertices = 0;
    int64_t triangles = 0;
    int64_t frameTriangles = 0;  // those whose tangent frames some vertex keeps
};

ModelCounts CountsOf(int slot) {
    const brmath::Actor& actor = brmath::TheActorTable().actors[slot];
    ModelCounts counts;
    for (int m = 0; m < actor.meshCount; ++m) {
        counts.vertices += actor.meshes[m].vertexCount;
        counts.triangles += actor.meshes[m].triangleCount;
        brmath::PreparedMesh prepared;
        if (brmath::PrepareMesh(actor.meshes[m], prepared)) counts.frameTriangles += prepared.frameTriangleCount;
        brmath::ReleasePreparedMesh(prepared);
    }
    return counts;
}

void BM_LoadActor(benchmark::State& state) {
    const brmath_test::TemporaryTube& model = Model();
    for (auto _ : state) {
        if (MD5_LoadActor(0, model.Path().c_str()) != 1) state.SkipWithError("the model did not load");
    }
    state.SetBytesProcessed(state.iterations() * model.Bytes());
    state.counters["mesh_MB"] = static_cast<double>(model.Bytes()) / 1e6;
}
BENCHMARK(BM_LoadActor)->Unit(benchmark::kMillisecond)->UseRealTime();

// Loading's passes over the mesh file: 0 reading the file into memory; 1 passing over
// every word of it, as the reader's scan does, without reading numbers; 2 reading the
// model records (scan, numbers and checks). The rest of a load (clips, preparing and
// posing the meshes) is BM_LoadActor less these.
void BM_LoadPhase(benchmark::State& state) {
    const brmath_test::TemporaryTube& model = Model();
    const char* path = model.Path().c_str();
    brmath::TextFile file;
    if (!file.Open(path)) state.SkipWithError("the model did not open");
    for (auto _ : state) {
        switch (state.range(0)) {
            case 0: benchmark::DoNotOptimize(file.Open(path)); break;
            case 1: {
                file.MoveTo(0);
                int64_t words = 0;
                while (brmath::SkipWord(file)) ++words;
                benchmark::DoNotOptimize(words);
                break;
            }
            default: {
                file.MoveTo(0);
                brmath::ModelRecords records;
                brmath::ReadFailure failure;
                if (!brmath::ReadMeshText(file, records, brmath::FileNotes(nullptr, path), &failure)) {
                    state.SkipWithError("the model did not read");
                }
                brmath::ReleaseModel(records);
                break;
            }
        }
    }
    state.SetBytesProcessed(state.iterations() * model.Bytes());
}
BENCHMARK(BM_LoadPhase)->ArgName("phase")->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

// Argument 0: the path the library takes by default (AVX tangent frames where
// offered); 1: the plain reference path; 2: SSE2, the baseline of every x86.
void BM_ProceedAnimation(benchmark::State& state) {
    const brmath::PosePath paths[] = {brmath::DefaultPosePath(), brmath::PosePath::kPlain, brmath::PosePath::kSse2};
    if (MD5_LoadActor(1, Model().Path().c_str()) != 1) state.SkipWithError("the model did not load");
    brmath::TheActorTable().actors[1].SetPosePath(paths[state.range(0)]);
    const ModelCounts counts = CountsOf(1);
    int frame = 0;
    for (auto _ : state) MD5_ProceedAnimation(1, frame++);
    // Seconds per vertex for the whole call: pose, skin, normals, tangent frames.
    state.counters["per_vertex"] =
        benchmark::Counter(static_cast<double>(counts.vertices), benchmark::Counter::kIsIterationInvariantRate |
                                                                     benchmark::Counter::kInvert);
    state.counters["vertices"] = static_cast<double>(counts.vertices);
    state.counters["triangles"] = static_cast<double>(counts.triangles);
    state.counters["frame_triangles"] = static_cast<double>(counts.frameTriangles);
    brmath::TheActorTable().actors[1].SetPosePath(brmath::DefaultPosePath());
}
BENCHMARK(BM_ProceedAnimation)->ArgName("kernels")->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_RenderActor(benchmark::State& state) {
    if (MD5_LoadActor(2, Model().Path().c_str()) != 1) state.SkipWithError("the model did not load");
    MD5_ProceedAnimation(2, 17);
    brmath_test::RecordingDevice device;
    device.copyVertices = false;
    for (auto _ : state) {
        device.calls.clear();
        benchmark::DoNotOptimize(MD5_RenderActor(2, device.Device()));
    }
    state.SetBytesProcessed(static_cast<int64_t>(device.bytesReceived));
}
BENCHMARK(BM_RenderActor)->Unit(benchmark::kMillisecond)->UseRealTime();

// Posing's phases one by one on the large model (the fast path's passes): 0 skinning,
// 1 face normals summed, 2 tangent frames (AVX where offered), 3 the vertex write;
// 4 tangent frames with SSE2, beside 2.
void BM_PosePhase(benchmark::State& state) {
    if (MD5_LoadActor(3, Model().Path().c_str()) != 1) state.SkipWithError("the model did not load");
    brmath::Actor& actor = brmath::TheActorTable().actors[3];
    MD5_ProceedAnimation(3, 5);
    brmath::Mesh& mesh = actor.meshes[0];
    brmath::PreparedMesh prepared;
    brmath::PoseWorkspace workspace;
    if (!brmath::PrepareMesh(mesh, prepared) || !workspace.Reserve(mesh.vertexCount, prepared.frameTriangleCount)) {
        state.SkipWithError("no memory");
        return;
    }
    brmath::SkinIntoWorkspaceSse2(mesh, actor.joints, workspace);
    brmath::SumFaceNormalsSse2(mesh, workspace);
    const bool avx = brmath::PosePathAvailable(brmath::PosePath::kAvx);
    for (auto _ : state) {
        switch (state.range(0)) {
            case 0: brmath::SkinIntoWorkspaceSse2(mesh, actor.joints, workspace); break;
            case 1: brmath::SumFaceNormalsSse2(mesh, workspace); break;
            case 2:
                if (avx) brmath::ComputeTangentFramesAvx(mesh, prepared, workspace);
                else brmath::ComputeTangentFramesSse2(mesh, prepared, workspace);
                break;
            case 4: brmath::ComputeTangentFramesSse2(mesh, prepared, workspace); break;
            default: brmath::WriteVerticesSse2(mesh, prepared, workspace); break;
        }
        benchmark::ClobberMemory();
    }
    state.counters["per_vertex"] = benchmark::Counter(static_cast<double>(mesh.vertexCount),
                                                      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    brmath::ReleasePreparedMesh(prepared);
}
BENCHMARK(BM_PosePhase)->ArgName("phase")->Arg(0)->Arg(1)->Arg(2)->Arg(3)->Arg(4)->Unit(benchmark::kMillisecond)->UseRealTime();

// A host's frame: N actors of the sample robot, each posed at its own frame of the walk
// as MD5_ProceedAnimation poses a slot, in two loops. Loop 0 asks every actor for a new
// key on every displayed frame; loop 1 is a 60 Hz display playing the 24 fps clip
// (frame = floor(t * 24)), so 3 displayed frames in 5 ask for the key already shown.
// Without repeated keys the time per vertex stays the same from 1 to 32 actors when the
// cost grows linearly with the vertices posed.
void BM_HostFrame(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const bool display60 = state.range(1) == 1;
    std::unique_ptr<brmath::Actor[]> actors(new brmath::Actor[static_cast<size_t>(count)]);
    int64_t vertices = 0;
    for (int a = 0; a < count; ++a) {
        if (!actors[a].LoadMesh(BRMATH_SAMPLES_DIR "/robot/robot.md5mesh") || !actors[a].SetAnimation(1)) {
            state.SkipWithError("the sample did not load");
            return;
        }
        for (int m = 0; m < actors[a].meshCount; ++m) vertices += actors[a].meshes[m].vertexCount;
    }
    int64_t displayed = 0;
    for (auto _ : state) {
        const int frame = static_cast<int>(display60 ? displayed * 24 / 60 : displayed);
        for (int a = 0; a < count; ++a) actors[a].ProceedAnimation(frame + 3 * a);
        ++displayed;
    }
    state.counters["per_vertex"] = benchmark::Counter(static_cast<double>(vertices),
                                                      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["vertices"] = static_cast<double>(vertices);
}
BENCHMARK(BM_HostFrame)
    ->ArgNames({"actors", "loop"})
    ->ArgsProduct({{1, 8, 32}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
