#include "VoiceTestSupport.h"

#include "bank/ToneBank.h"
#include "synth/PlayingWaveEdit.h"
#include "tests/support/PlayingThroughAnEdit.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <thread>

namespace {

using Samples = std::vector<std::int8_t>;

// The wave after the bank's edit made in one go, and after the same edit made a stretch
// at a time into a wave that may be playing.
template <typename BankEdit, typename MakeEdit>
void expectSameBytes(const WaveRef& original, BankEdit bankEdit, MakeEdit makeEdit, const char* what)
{
    SCOPED_TRACE(what);
    ToneBank bank;
    bank.appendWave(waveOf(original->samples));
    bankEdit(bank);
    OfflineDevice out(16, 44100, 2);
    const WaveRef stepped = waveOf(original->samples);
    ASSERT_TRUE(editPlayingWave(out.device, *stepped, makeEdit(stepped->samples)));
    EXPECT_SAME_SAMPLES(bank.waveData(0)->samples, stepped->samples);
}

// Smoothing reads the new values of the positions before it, across the ends of the
// stretches and round the end of the wave; the amplitude takes one largest magnitude for
// the whole range.
TEST(PlayingWaveEdit, AStretchAtATimeGivesTheBytesOfTheEditInOneGo)
{
    const std::uint32_t size = 3 * playingEditStep + 5;
    const WaveRef wave = scrambledWave(size);
    expectSameBytes(
        wave, [&](ToneBank& bank) { bank.smoothRange(0, 0, size); },
        [&](const Samples& s) { return smoothingEdit(s, 0, size); }, "the whole wave smoothed");
    expectSameBytes(
        wave, [&](ToneBank& bank) { bank.smoothRange(0, 2 * playingEditStep + 1, 7); },
        [&](const Samples& s) { return smoothingEdit(s, 2 * playingEditStep + 1, 7); }, "part of it smoothed");
    const WaveRef quiet = waveOf(Samples(size, 3));
    quiet->samples[size - 1] = -5;
    expectSameBytes(
        quiet, [&](ToneBank& bank) { bank.normalizeRange(0, 1, size, 127); },
        [&](const Samples& s) { return amplitudeEdit(s, 1, size, 127); }, "the amplitude changed");
    const WaveRef shortest = waveOf({22, 0, -7, 90});
    expectSameBytes(
        shortest, [&](ToneBank& bank) { bank.smoothRange(0, 0, 4); },
        [&](const Samples& s) { return smoothingEdit(s, 0, 4); }, "a wave shorter than the filter");
}

TEST(PlayingWaveEdit, AnEditReachingBeyondTheBlockWritesNothing)
{
    OfflineDevice out(16, 44100, 2);
    const WaveRef wave = scrambledWave(100);
    const Samples before = wave->samples;
    EXPECT_FALSE(writePlayingSample(out.device, *wave, 100, 1));
    EXPECT_FALSE(writePlayingSample(out.device, *wave, SIZE_MAX, 1));
    EXPECT_FALSE(editPlayingWave(
        out.device, *wave, {90, 101, [](const Samples&, std::size_t, std::size_t, std::int8_t* out) { *out = 1; }}));
    EXPECT_EQ(wave->samples, before);
    EXPECT_TRUE(writePlayingSample(out.device, *wave, 99, 1));
    EXPECT_EQ(wave->samples[99], 1);
}

// A note plays from a long wave while another thread smooths the whole of it. The render
// thread must go on refilling the output's buffers while the wave is half smoothed, and
// every buffer must sound: a render thread kept waiting for the whole edit would let a
// real output run dry.
TEST(PlayingWaveEdit, ANoteKeepsSoundingWhileItsWaveIsSmoothed)
{
    // The edit and the card are two threads on a machine that may be busy: a run
    // whose edit happened to be done before the card got to play proves nothing either
    // way, so it is made again, a few times at most. A render thread that waits for the
    // whole edit never refills while the wave is part edited, however often it is tried.
    int refillsWhilePartlyEdited = 0;
    for (int attempt = 0; attempt < 5 && refillsWhilePartlyEdited < SoundDevice::bufferCount; ++attempt) {
        OfflineDevice out(16, 44100, 2);
        PlayingThroughAnEdit card(out.output, out.device);
        Synth synth;
        ASSERT_TRUE(synth.connect(out.device, 0));
        const WaveRef wave = waveOf(squareWaveSamples(2u << 20));
        synth.setTone(fullLevelTone(wave));
        ASSERT_TRUE(synth.noteOn(noteFrequency(60)));

        // The last sample of the first half period, and of the last: the first and the last
        // stretch change them.
        const std::size_t first = 31;
        const std::size_t last = wave->samples.size() - 33;
        const std::int8_t lastBefore = wave->samples[last];
        std::atomic<bool> editing{true};
        std::thread editor([&] {
            editPlayingWave(out.device, *wave,
                            smoothingEdit(wave->samples, 0, static_cast<std::uint32_t>(wave->samples.size())));
            editing.store(false);
        });
        card.playWhile(editing, [&] {
            std::lock_guard<std::mutex> hold(out.device.renderLock());
            return wave->samples[first] != 100 && wave->samples[last] == lastBefore;
        });
        editor.join();
        EXPECT_FALSE(card.stalled);
        EXPECT_EQ(card.silentBuffers.load(), 0);
        EXPECT_TRUE(synth.state().active);
        refillsWhilePartlyEdited = card.refillsWhilePartlyEdited;
    }
    EXPECT_GE(refillsWhilePartlyEdited, SoundDevice::bufferCount) << "the render thread waited for the edit";
}

} // namespace
