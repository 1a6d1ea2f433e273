// Offline rendering of one minute of sound through the whole device path: the render
// thread refilling the ring, every voice adding its samples, the mix clipped and
// converted to 16-bit stereo at 44100 Hz. Reported as times real time (goal: 1000x and
// more for one voice).
#include "audio/OfflineWaveOut.h"
#include "audio/SoundDevice.h"
#include "synth/NoteTable.h"
#include "synth/Synth.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

namespace {

constexpr double seconds = 60;

// A looped 256-sample cycle held at full level with vibrato: the instrument voice's
// whole per-sample work (envelope, vibrato, read, pan, loop) on every sample.
ToneRecord heldTone()
{
    auto wave = std::make_shared<WaveBlock>(256);
    for (int i = 0; i < 256; ++i)
        wave->samples[static_cast<std::size_t>(i)] =
            static_cast<std::int8_t>(std::lround(100 * std::sin(2 * std::numbers::pi * i / 256)));
    ToneRecord tone;
    tone.AR = 20000;
    tone.DL = 0x7F0000;
    tone.DR = 100;
    tone.NL = 0x600000;
    tone.NR = 10;
    tone.SL = 0x500000;
    tone.RR = 1000;
    tone.startDelay = 2000;
    tone.amplitude = 0x100000;
    tone.gainRate = 40;
    tone.frequencyShift = 10;
    tone.cycleSize = 256;
    tone.sampleCount = 256;
    tone.wave = wave;
    return tone;
}

void renderOneMinute(benchmark::State& state)
{
    const auto voices = static_cast<std::size_t>(state.range(0));
    OfflineWaveOut output;
    output.keepBytes(false);
    SoundDevice device(output);
    if (!device.open(16, 44100, 2)) {
        state.SkipWithError("cannot open the offline device");
        return;
    }
    std::vector<std::unique_ptr<Synth>> synths;
    for (std::size_t v = 0; v < voices; ++v) {
        synths.push_back(std::make_unique<Synth>());
        synths.back()->connect(device, 0);
    }
    const auto buffers =
        static_cast<std::size_t>(std::ceil(seconds * 44100 / (SoundDevice::blocksPerBuffer * device.blockFrames())));

    for (auto _ : state) {
        for (std::size_t v = 0; v < voices; ++v) {
            synths[v]->setTone(heldTone());
            synths[v]->noteOn(noteFrequency(static_cast<std::uint32_t>(60 + 7 * v)));
        }
        const auto start = std::chrono::steady_clock::now();
        for (std::size_t b = 0; b < buffers; ++b)
            if (!output.playNextAndWait(device)) {
                state.SkipWithError("the device stopped refilling");
                return;
            }
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(took.count());
        state.counters["x_realtime"] = seconds / took.count();
        for (auto& synth : synths)
            if (!synth->state().active)
                state.SkipWithError("a voice stopped sounding before the minute was over");
    }
}

} // namespace

BENCHMARK(renderOneMinute)->Arg(1)->Arg(2)->ArgName("voices")->UseManualTime()->Unit(benchmark::kMillisecond);
