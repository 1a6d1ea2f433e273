// The whole `zbk import-sf2` process for TimGM6mb (6 MB, 128 programs and 8 drum kits),
// as a user runs it: start-up, the font read, the bank made and written (goal: under
// 0.5 s). Reported per run: the real time and the user and system time the system
// accounts to the finished process. Skipped when the font is not installed.
#include "bench/support/ToolProcess.h"
#include "tests/support/TempDir.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

namespace {

const char* const font = "/usr/share/sounds/sf2/TimGM6mb.sf2";

void ImportSf2Process(benchmark::State& state)
{
    if (!std::filesystem::exists(font)) {
        state.SkipWithError("TimGM6mb.sf2 is not installed");
        return;
    }
    TempDir dir;
    rusage usage{};
    double user = 0;
    double system = 0;
    for (auto _ : state) {
        if (!runTool({"import-sf2", font, "-o", dir.file("gm.zbk")}, usage)) {
            state.SkipWithError("zbk import-sf2 failed");
            return;
        }
        user += seconds(usage.ru_utime);
        system += seconds(usage.ru_stime);
    }
    const auto runs = static_cast<double>(state.iterations());
    state.counters["user_s"] = user / runs;
    state.counters["sys_s"] = system / runs;
}

} // namespace

BENCHMARK(ImportSf2Process)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);
