// The whole `zbk render` process for 120 s of one voice, as a user runs it: start-up,
// the bank loaded, the real sound device and its render thread driven through the
// offline output, and the WAV file written. Reported per run: the real time, the user and
// system time the system accounts to the finished process, the system time's share of
// the two and of the real time, and the speed as times real time (goal: 1000x and more,
// on a machine that is also building).
//
// Twice: into a new file, and over the file the run before wrote. Replacing a file frees
// the old one inside the rename, and on a file system mounted with `discard` that waits
// for the disk to discard its blocks.
#include "bench/support/ToolProcess.h"
#include "tests/support/TempDir.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr double renderedSeconds = 120;

void RenderProcess(benchmark::State& state, bool overExistingFile)
{
    TempDir dir;
    const std::string bank = dir.file("demo.zbk");
    rusage usage{};
    if (!runTool({"demo", bank}, usage)) {
        state.SkipWithError("zbk demo failed");
        return;
    }
    double user = 0;
    double system = 0;
    double real = 0;
    for (auto _ : state) {
        if (!overExistingFile) {
            state.PauseTiming();
            std::remove(dir.file("note.wav").c_str());
            state.ResumeTiming();
        }
        const auto start = std::chrono::steady_clock::now();
        if (!runTool({"render", bank, "--program", "0", "--note", "60", "--hold", "119", "--release", "1", "-o",
                      dir.file("note.wav")},
                     usage)) {
            state.SkipWithError("zbk render failed");
            return;
        }
        real += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        user += seconds(usage.ru_utime);
        system += seconds(usage.ru_stime);
    }
    const auto runs = static_cast<double>(state.iterations());
    state.counters["user_s"] = user / runs;
    state.counters["sys_s"] = system / runs;
    state.counters["sys_share"] = system / (user + system);
    state.counters["sys_of_real"] = system / real;
    state.counters["x_real_time"] = benchmark::Counter(renderedSeconds, benchmark::Counter::kIsIterationInvariantRate);
}

} // namespace

BENCHMARK_CAPTURE(RenderProcess, new_file, false)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);
BENCHMARK_CAPTURE(RenderProcess, over_existing_file, true)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);
