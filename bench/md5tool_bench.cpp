// md5tool's commands on a model with many clips, in process, reading and writing the
// disk as the command line does: info, check and export of the same model side by side.
#include <benchmark/benchmark.h>

#include <sstream>

#include "commands.h"
#include "many_clips.h"

namespace {

void BM_Md5tool(benchmark::State& state) {
    const brmath_bench::ManyClipRobot& robot = brmath_bench::TheManyClipRobot();
    const char* command = state.range(0) == 0 ? "info" : state.range(0) == 1 ? "check" : "export";
    std::vector<std::string> args = {"md5tool", command, robot.Mesh()};
    if (state.range(0) == 2) args.insert(args.end(), {"-o", robot.Folder() + "/out.glb"});
    for (auto _ : state) {
        std::ostringstream out, err;
        if (md5tool::Run(args, out, err) != 0) state.SkipWithError(err.str().c_str());
    }
    state.SetLabel(command);
}
BENCHMARK(BM_Md5tool)->ArgName("command")->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
