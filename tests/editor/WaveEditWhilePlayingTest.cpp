// The wave commands pressed while a note of the wave is sounding. The sound goes to an
// offline output that the test plays as a sound card would, a buffer at a time.
#include "EditorFixture.h"

#include "synth/NoteTable.h"
#include "synth/VoiceState.h"
#include "tests/support/PlayingThroughAnEdit.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>

namespace {

using Samples = std::vector<std::int8_t>;

bool silent(const std::vector<std::uint8_t>& bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t byte) { return byte == 0; });
}

class WaveEditWhilePlayingTest : public EditorTest {
protected:
    // The editor on an output the test keeps hold of.
    void SetUp() override
    {
        auto out = std::make_unique<OfflineWaveOut>();
        output = out.get();
        editor = std::make_unique<EditorDialog>(std::move(out));
        editor->open(nullptr, IDD_EDITOR);
        ASSERT_NE(editor->hwnd, nullptr);
        window = editor->hwnd;
        gui::processEvents();
    }

    // Opens a bank whose tone 0 plays `samples` at full level for as long as the key is
    // held, and starts a note of it.
    void playWave(const Samples& samples)
    {
        ToneBank bank;
        auto block = std::make_shared<WaveBlock>(samples.size());
        block->samples = samples;
        bank.appendWave(block);
        ToneRecord tone;
        tone.AR = 2 * fullScaleLevel;
        tone.DL = fullScaleLevel;
        tone.RR = 2 * fullScaleLevel;
        tone.wave = block;
        tone.sampleCount = static_cast<std::int32_t>(samples.size());
        tone.cycleSize = tone.sampleCount;
        tone.frequencyShift = 8;
        bank.setInstrumentTone(0, tone);
        openBank(bank);
        inside().synth().setTone(inside().bank().getInstrumentTone(0));
        ASSERT_TRUE(inside().synth().noteOn(noteFrequency(60)));
    }

    // The bytes of the next refill.
    std::vector<std::uint8_t> nextRefill() const
    {
        const std::size_t first = output->writeCount();
        EXPECT_TRUE(output->playNextAndWait(*inside().synth().device));
        return output->writtenBytes(first);
    }

    void press(int id)
    {
        answers.messageBox(IDYES);
        clickButton(id);
    }

    OfflineWaveOut* output = nullptr;
};

// Smoothing a long wave takes a good part of a second. All the while the output goes on
// playing: the render thread refills buffer after buffer while the wave is half smoothed,
// and every one sounds.
TEST_F(WaveEditWhilePlayingTest, ANoteKeepsSoundingWhileItsWaveIsSmoothed)
{
    // On a busy machine the edit may be done before the card's thread gets to play, which
    // proves nothing either way: such a run is made again, a few times at most. A render
    // thread that waits for the whole edit never refills while the wave is half smoothed.
    int refillsWhilePartlyEdited = 0;
    for (int attempt = 0; attempt < 3 && refillsWhilePartlyEdited < SoundDevice::bufferCount; ++attempt) {
        playWave(squareWaveSamples(8u << 20));
        clickButton(IDC_SELECT_ALL);
        const WaveRef wave = inside().bank().waveData(0);
        SoundDevice& device = *inside().synth().device;
        // The last sample of the first half period, and of the last: the first and the last
        // stretch of the edit change them.
        const std::size_t first = 31;
        const std::size_t last = wave->samples.size() - 33;
        PlayingThroughAnEdit card(*output, device);
        std::atomic<bool> pressing{true};
        std::thread cardThread([&] {
            card.playWhile(pressing, [&] {
                std::lock_guard<std::mutex> hold(device.renderLock());
                return wave->samples[first] != 100 && wave->samples[last] == 100;
            });
        });
        press(IDC_SMOOTH);
        pressing.store(false);
        cardThread.join();

        EXPECT_EQ(wave->samples[first], 29) << "the wave was smoothed";
        EXPECT_FALSE(card.stalled);
        EXPECT_EQ(card.silentBuffers.load(), 0);
        refillsWhilePartlyEdited = card.refillsWhilePartlyEdited;
    }
    EXPECT_GE(refillsWhilePartlyEdited, SoundDevice::bufferCount) << "the render thread waited for the edit";
}

// Deleting samples and stretching give the wave a new block. The note stops first, so
// that it does not go on playing the samples the bank no longer has: the first buffer
// rendered after the command is silent.
TEST_F(WaveEditWhilePlayingTest, ANotePlayingTheWaveStopsBeforeTheWaveIsReplaced)
{
    playWave(squareWaveSamples(1000));
    ASSERT_FALSE(silent(nextRefill())) << "the note sounds";
    HWND view = item(IDC_WAVE_VIEW);
    gui::mousePress(view, 10, 100, true);
    gui::mouseMove(view, 20, 100);
    gui::mouseRelease(view, 20, 100, true);
    settle();
    press(IDC_DELETE_SELECTION);
    ASSERT_LT(inside().bank().waveSize(0), 1000u);
    EXPECT_TRUE(silent(nextRefill())) << "after a deletion";

    ASSERT_TRUE(inside().synth().noteOn(noteFrequency(60)));
    ASSERT_FALSE(silent(nextRefill())) << "the note sounds";
    typeInto(IDC_NEW_SIZE, "500");
    press(IDC_STRETCH);
    ASSERT_EQ(inside().bank().waveSize(0), 500u);
    EXPECT_TRUE(silent(nextRefill())) << "after a stretch";
}

} // namespace
