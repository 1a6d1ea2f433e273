// Smoothing and changing the amplitude of the whole of a 16 MiB wave that a note may be
// playing, as the editor's buttons do. Beside the time of each edit, the longest a thread
// that takes the device's render lock as the render thread does (once every tenth of a
// millisecond here, where the render thread takes it once a block of about 4 ms) waited
// for it while the edit ran, and how many of its waits took longer than 1 ms. Goal: that
// wait under 1 ms for any wave. On a busy machine a thread may lose the processor while it
// holds the lock, and a wait then takes a scheduler's time slice whatever the edit does.
#include "audio/OfflineWaveOut.h"
#include "audio/SoundDevice.h"
#include "synth/PlayingWaveEdit.h"
#include "tests/support/PlayingThroughAnEdit.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::size_t waveLength = 16u << 20;

template <typename MakeEdit> void editWhileTheLockIsWanted(benchmark::State& state, MakeEdit makeEdit)
{
    OfflineWaveOut output;
    SoundDevice device(output);
    if (!device.open(16, 44100, 2)) {
        state.SkipWithError("the offline device did not open");
        return;
    }
    const std::vector<std::int8_t> original = squareWaveSamples(waveLength);
    auto wave = std::make_shared<WaveBlock>(waveLength);
    Clock::duration longestWait{};
    std::size_t waits = 0;
    std::size_t longWaits = 0;
    for (auto _ : state) {
        state.PauseTiming();
        wave->samples = original;
        std::atomic<bool> editing{true};
        std::thread renderer([&] {
            while (editing.load()) {
                const Clock::time_point start = Clock::now();
                {
                    std::lock_guard<std::mutex> hold(device.renderLock());
                }
                const Clock::duration wait = Clock::now() - start;
                longestWait = std::max(longestWait, wait);
                ++waits;
                longWaits += wait > std::chrono::milliseconds(1) ? 1 : 0;
                std::this_thread::sleep_for(std::chrono::microseconds(100));
            }
        });
        state.ResumeTiming();
        editPlayingWave(device, *wave, makeEdit(wave->samples));
        state.PauseTiming();
        editing.store(false);
        renderer.join();
        state.ResumeTiming();
    }
    state.counters["longestLockWait_ms"] = std::chrono::duration<double, std::milli>(longestWait).count();
    state.counters["lockWaits"] = static_cast<double>(waits);
    state.counters["waitsOver1ms"] = static_cast<double>(longWaits);
}

void smoothA16MiBWave(benchmark::State& state)
{
    editWhileTheLockIsWanted(state, [](const std::vector<std::int8_t>& samples) {
        return smoothingEdit(samples, 0, static_cast<std::uint32_t>(samples.size()));
    });
}

void changeTheAmplitudeOfA16MiBWave(benchmark::State& state)
{
    editWhileTheLockIsWanted(state, [](const std::vector<std::int8_t>& samples) {
        return amplitudeEdit(samples, 0, static_cast<std::uint32_t>(samples.size()), 64);
    });
}

BENCHMARK(smoothA16MiBWave)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(changeTheAmplitudeOfA16MiBWave)->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace
