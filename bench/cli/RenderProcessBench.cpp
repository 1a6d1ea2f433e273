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
#include "tests/support/TempDir.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

extern char** environ;

namespace {

constexpr double renderedSeconds = 120;

double seconds(const timeval& time)
{
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
}

// Runs the tool with its output thrown away; false unless it exited with status 0.
bool runTool(std::vector<std::string> args, rusage& usage)
{
    args.insert(args.begin(), ZBK_TOOL_PATH);
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int started = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    return started == 0 && wait4(pid, &status, 0, &usage) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

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
    state.counters["x_real_time"] =
        benchmark::Counter(renderedSeconds, benchmark::Counter::kIsIterationInvariantRate);
}

} // namespace

BENCHMARK_CAPTURE(RenderProcess, new_file, false)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);
BENCHMARK_CAPTURE(RenderProcess, over_existing_file, true)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);
