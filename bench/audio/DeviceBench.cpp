#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "audio/OfflineWaveOut.h"
#include "audio/SoundDevice.h"
#include "audio/SoundSource.h"

namespace {

// One block of the largest format, a third of it beyond the 16-bit range.
SoundDevice::MixBuffer loudBlock()
{
    SoundDevice::MixBuffer mix{};
    for (std::size_t i = 0; i < mix.size(); ++i)
        mix[i] = static_cast<std::int32_t>((i * 7919) % 98304) - 49152;
    return mix;
}

void convert16(benchmark::State& state)
{
    const SoundDevice::MixBuffer mix = loudBlock();
    std::vector<std::uint8_t> out(mix.size() * 2);
    for (auto _ : state) {
        benchmark::DoNotOptimize(SoundDevice::convert16(out.data(), mix.data(), SoundDevice::mixBufferValues));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * SoundDevice::mixBufferValues);
}
BENCHMARK(convert16);

void convert8(benchmark::State& state)
{
    const SoundDevice::MixBuffer mix = loudBlock();
    std::vector<std::uint8_t> out(mix.size());
    for (auto _ : state) {
        benchmark::DoNotOptimize(SoundDevice::convert8(out.data(), mix.data(), SoundDevice::mixBufferValues));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * SoundDevice::mixBufferValues);
}
BENCHMARK(convert8);

// A source as cheap as a source can be, so that what is measured is the device: the
// render thread's wake-up, the mix, the clip and conversion and the hand-over.
class ConstantSource : public SoundSource {
public:
    ~ConstantSource() override
    {
        if (device != nullptr)
            device->removeSource(this);
    }
    void render16Stereo(std::int32_t* mix, std::int32_t frames) override
    {
        for (std::int32_t i = 0; i < 2 * frames; ++i)
            mix[i] += 40000;
    }
};

// Offline refills at 44100 Hz, 16 bits, 2 channels; "audio_s" per second is the speed in
// multiples of real time.
void refillThroughDevice(benchmark::State& state)
{
    OfflineWaveOut output;
    output.keepBytes(false);
    SoundDevice device(output);
    if (!device.open(16, 44100, 2)) {
        state.SkipWithError("the device did not open");
        return;
    }
    ConstantSource source;
    source.connect(device, 0);
    for (auto _ : state) {
        if (!output.playNextAndWait(device)) {
            state.SkipWithError("a buffer was not refilled");
            break;
        }
    }
    const double secondsPerBuffer = SoundDevice::blocksPerBuffer * 176.0 / 44100.0;
    state.counters["audio_s"] =
        benchmark::Counter(secondsPerBuffer * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(refillThroughDevice)->UseRealTime();

} // namespace
