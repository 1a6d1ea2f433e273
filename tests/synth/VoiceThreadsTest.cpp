#include "VoiceTestSupport.h"

#include "synth/NoteTable.h"
#include "synth/PlayingWaveEdit.h"

#include "bank/ToneBank.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

namespace {

// The render thread refills buffers without pause while this thread changes the voice
// in every way it can; under ThreadSanitizer this shows that what the two share is
// shared safely.
TEST(VoiceThreads, ChangingAVoiceWhileTheRenderThreadPlaysItIsSafe)
{
    OfflineDevice out(16, 44100, 2);
    out.output.keepBytes(false);
    Synth synth;
    ASSERT_TRUE(synth.connect(out.device, 0));
    const ToneRecord instrument = fullLevelTone(scrambledWave(512));
    const ToneRecord drum = drumTone(scrambledWave(3000));

    std::atomic<bool> done{false};
    std::thread listener([&] {
        while (!done.load())
            out.output.playNextAndWait(out.device);
    });
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(200);
    std::uint32_t changes = 0;
    for (; std::chrono::steady_clock::now() < until; ++changes) {
        synth.setModulation(static_cast<std::int32_t>(changes % 300));
        synth.setTone(changes % 3 == 0 ? drum : instrument);
        synth.setVolume(changes % 128);
        synth.noteOn(noteFrequency(changes % 132));
        if (changes % 5 == 0)
            synth.noteOff();
        if (changes % 7 == 0)
            synth.silence();
        (void)synth.state();
    }
    done.store(true);
    listener.join();
    EXPECT_GT(changes, 100u);

    synth.silence();
    out.output.keepBytes(true);
    const auto after = out.refill16(2);
    EXPECT_TRUE(std::all_of(after.begin(), after.end(), [](std::int16_t v) { return v == 0; }))
        << "a silenced voice adds nothing from the next block on";
}

// The editor's pencil draws into the wave a note is playing while the render thread
// reads it; the sound follows the drawing from the next block on.
TEST(VoiceThreads, DrawingIntoTheWaveOfAPlayingNoteIsSafeAndHeard)
{
    OfflineDevice out(16, 44100, 2);
    out.output.keepBytes(false);
    Synth synth;
    ASSERT_TRUE(synth.connect(out.device, 0));
    const WaveRef wave = scrambledWave(512);
    synth.setTone(fullLevelTone(wave));
    ASSERT_TRUE(synth.noteOn(noteFrequency(60)));

    std::atomic<bool> done{false};
    std::thread listener([&] {
        while (!done.load())
            out.output.playNextAndWait(out.device);
    });
    // Silence the wave sample by sample, over and over, while it plays.
    for (int pass = 0; pass < 20; ++pass)
        for (std::size_t i = 0; i < wave->samples.size(); ++i)
            writePlayingSample(out.device, *wave, i, static_cast<std::int8_t>(pass == 19 ? 0 : -pass));
    done.store(true);
    listener.join();

    out.output.keepBytes(true);
    const auto after = out.refill16(2);
    EXPECT_TRUE(std::all_of(after.begin(), after.end(), [](std::int16_t v) { return v == 0; }))
        << "a note whose wave was drawn flat plays silence";
    EXPECT_TRUE(synth.state().active) << "the note itself goes on";
}

// The editor's wave commands while the render thread plays a wave of the bank: the
// voice is silenced, then the bank exchanges or frees the wave, and the next note plays
// the new one.
TEST(VoiceThreads, SilencingBeforeTheBankExchangesAPlayingWaveIsSafe)
{
    OfflineDevice out(16, 44100, 2);
    out.output.keepBytes(false);
    Synth synth;
    ASSERT_TRUE(synth.connect(out.device, 0));
    ToneBank bank;
    bank.appendWave(scrambledWave(4096));
    bank.appendWave(scrambledWave(100));

    std::atomic<bool> done{false};
    std::thread listener([&] {
        while (!done.load())
            out.output.playNextAndWait(out.device);
    });
    auto playWave0 = [&] {
        ToneRecord tone = fullLevelTone(bank.waveData(0));
        tone.sampleCount = static_cast<std::int32_t>(bank.waveSize(0));
        tone.cycleSize = tone.sampleCount;
        synth.setTone(tone);
        return synth.noteOn(noteFrequency(60));
    };
    for (std::uint32_t round = 0; round < 30; ++round) {
        ASSERT_TRUE(playWave0());
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        synth.silence();
        switch (round % 3) {
        case 0: EXPECT_TRUE(bank.deleteWaveRange(0, 10, 20)); break;
        case 1: bank.replaceWaveData(0, ToneBank::stretchedWave(bank.waveData(0)->samples, 4000 + round)); break;
        default: bank.replaceWaveData(0, ToneBank::resizedWave(bank.waveData(0)->samples, 4000 - round)); break;
        }
    }
    ASSERT_TRUE(playWave0());
    done.store(true);
    listener.join();
    EXPECT_EQ(synth.tone().wave, bank.waveData(0)) << "the last note plays the wave the bank holds now";
}

} // namespace
