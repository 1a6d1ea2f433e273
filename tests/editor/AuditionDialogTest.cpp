// The audition keyboard opened from the main window and played as the user plays it:
// the note of each octave and key, the trackbars read upside down, the tone chosen, the
// reference voice, and no note left sounding after the key or the dialog; then through
// the real sound path, the pitch and level that come out of the card.
#include "EditorFixture.h"
#include "SubDialogRig.h"

#include "editor/MessageTexts.h"
#include "editor/ProgramNames.h"
#include "synth/NoteTable.h"

namespace {

constexpr int keyFSharp = 6;
constexpr int keyG = 7;
constexpr int keyGSharp = 8;
constexpr int keyA = 9;
constexpr int keyB = 11;

class AuditionTest : public EditorTest {
protected:
    // Every program plays a pitch tone marked with its number, on one long wave; the
    // window shows program `shown`.
    void openPitchBank(int shown)
    {
        ToneBank bank;
        addWave(bank, 44100);
        for (std::uint32_t program = 0; program < ToneBank::instrumentToneCount; ++program)
            bank.setInstrumentTone(program, pitchTone(bank, 0, static_cast<std::int32_t>(program)));
        openBank(bank);
        selectInList(IDC_TONE_LIST, shown);
    }

    // Opens the keyboard with the audition button and runs `inside` while it is up.
    void playKeyboard(const std::function<void(HWND)>& inside)
    {
        ASSERT_TRUE(whileOpen([this] { gui::click(item(IDC_AUDITION)); }, inside));
        settle();
    }

    static HWND key(HWND keyboard, int n) { return GetDlgItem(keyboard, IDC_KEY + n); }

    static void press(HWND keyboard, int n)
    {
        gui::mousePress(key(keyboard, n), 5, 5);
        gui::drainPostedMessages();
    }

    static void release(HWND keyboard, int n, int x = 5, int y = 5)
    {
        gui::mouseRelease(key(keyboard, n), x, y);
        gui::drainPostedMessages();
    }

    // The frequency the key sounds: pressed and released.
    std::uint32_t play(HWND keyboard, int n)
    {
        press(keyboard, n);
        const std::uint32_t frequency = inside().synth().state().active ? startedFrequency(inside().synth()) : 0;
        release(keyboard, n);
        return frequency;
    }

    static void choose(HWND keyboard, int id, int virtualKey)
    {
        gui::keyClick(GetDlgItem(keyboard, id), virtualKey);
        gui::drainPostedMessages();
    }
};

// The step a voice takes for `frequency` on a cycle of `cycleSize` samples at 44100 Hz.
std::uint64_t stepFor(std::uint64_t cycleSize, std::uint64_t frequency)
{
    return (cycleSize * frequency << 25) / 44100;
}

} // namespace

TEST_F(AuditionTest, EachOctaveAndKeyPlaysItsNoteWithTheChosenToneModulationAndVolume)
{
    openPitchBank(5);
    playKeyboard([&](HWND keyboard) {
        EXPECT_EQ(shownText(keyboard), "視聴");
        EXPECT_EQ(listCount(GetDlgItem(keyboard, IDC_AUDITION_TONE)), 128);
        EXPECT_EQ(shownText(GetDlgItem(keyboard, IDC_AUDITION_TONE)), programNames[5]);
        EXPECT_EQ(listCount(GetDlgItem(keyboard, IDC_AUDITION_OCTAVE)), 11);
        EXPECT_EQ(shownText(GetDlgItem(keyboard, IDC_AUDITION_OCTAVE)), "4");

        press(keyboard, keyA);
        VoiceState voice = inside().synth().state();
        EXPECT_TRUE(voice.active);
        EXPECT_EQ(startedFrequency(inside().synth()), 28160u) << "octave 4 A is note 57, 220 Hz";
        EXPECT_EQ(inside().synth().tone().groupNumber, 5) << "the window's tone";
        EXPECT_EQ(voice.volume, 100);
        EXPECT_EQ(voice.modulation, 0);
        EXPECT_NE(voice.stage, releaseStage);
        release(keyboard, keyA);
        EXPECT_EQ(inside().synth().state().stage, releaseStage);
        EXPECT_FALSE(inside().referenceSynth().state().active) << "the reference box is off";

        choose(keyboard, IDC_AUDITION_OCTAVE, VK_DOWN);
        EXPECT_EQ(play(keyboard, keyA), 56320u) << "octave 5 A is note 69, 440 Hz";
        choose(keyboard, IDC_AUDITION_OCTAVE, VK_END);
        EXPECT_EQ(shownText(GetDlgItem(keyboard, IDC_AUDITION_OCTAVE)), "10");
        EXPECT_EQ(play(keyboard, keyFSharp), noteFrequency(126));
        for (int n : {keyG, keyGSharp, keyB})
            EXPECT_EQ(play(keyboard, n), 1605613u) << "key " << n << " of octave 10 sounds as note 127";

        // The top of a vertical track is its minimum: modulation and volume at the top
        // are 127, at the bottom 0.
        choose(keyboard, IDC_AUDITION_MODULATION, VK_HOME);
        choose(keyboard, IDC_AUDITION_VOLUME, VK_HOME);
        press(keyboard, keyA);
        EXPECT_EQ(inside().synth().state().modulation, (127 >> 2) * 65536);
        EXPECT_EQ(inside().synth().state().volume, 127);
        release(keyboard, keyA);
        choose(keyboard, IDC_AUDITION_MODULATION, VK_END);
        choose(keyboard, IDC_AUDITION_VOLUME, VK_END);
        press(keyboard, keyA);
        EXPECT_EQ(inside().synth().state().modulation, 0);
        EXPECT_EQ(inside().synth().state().volume, 0);
        EXPECT_FALSE(inside().synth().state().active) << "volume 0 starts nothing";
        release(keyboard, keyA);

        choose(keyboard, IDC_AUDITION_VOLUME, VK_HOME);
        choose(keyboard, IDC_AUDITION_TONE, VK_DOWN);
        press(keyboard, keyA);
        EXPECT_EQ(inside().synth().tone().groupNumber, 6) << "the tone chosen in the dialog";
        release(keyboard, keyA);

        // Enter and Esc are no way out: only the close box is.
        gui::keyClick(key(keyboard, keyA), VK_RETURN);
        gui::keyClick(key(keyboard, keyA), VK_ESCAPE);
        EXPECT_TRUE(IsWindowVisible(keyboard));
        gui::clickCloseBox(keyboard);
    });
    EXPECT_FALSE(inside().synth().state().active) << "the close box silences the voice";
    EXPECT_EQ(inside().bank().getInstrumentTone(6), pitchTone(inside().bank(), 0, 6)) << "the bank is only read";
}

TEST_F(AuditionTest, TheReferenceSoundsWithTheKeyAndNoNoteOutlivesTheKeyOrTheDialog)
{
    openPitchBank(0);
    playKeyboard([&](HWND keyboard) {
        gui::click(GetDlgItem(keyboard, IDC_AUDITION_REFERENCE));
        press(keyboard, keyA);
        ASSERT_TRUE(inside().referenceSynth().state().active);
        EXPECT_EQ(inside().referenceSynth().state().step, stepFor(256, 28160)) << "the reference plays the same note";
        EXPECT_EQ(inside().referenceSynth().state().volume, 100);
        release(keyboard, keyA);
        EXPECT_EQ(inside().synth().state().stage, releaseStage);
        EXPECT_EQ(inside().referenceSynth().state().stage, releaseStage);

        // The mouse leaves the key before it comes up: the key still hears it.
        press(keyboard, keyA);
        gui::mouseMove(key(keyboard, keyA), -60, -40);
        release(keyboard, keyA, -60, -40);
        EXPECT_EQ(inside().synth().state().stage, releaseStage);
        EXPECT_EQ(inside().referenceSynth().state().stage, releaseStage);

        // The dialog closes while a key is held (Alt+F4): its key never comes up.
        press(keyboard, keyA);
        gui::clickCloseBox(keyboard);
    });
    gui::mouseRelease(window, 5, 5);
    gui::drainPostedMessages();
    EXPECT_FALSE(inside().synth().state().active);
    EXPECT_EQ(inside().referenceSynth().state().stage, releaseStage) << "the reference is let go";
}

TEST_F(AuditionTest, TheKeyboardPlaysTheFieldsAsShownAndNeedsAWave)
{
    clickButton(IDC_AUDITION);
    ASSERT_EQ(answers.messageBoxes().size(), 1u);
    EXPECT_EQ(answers.messageBoxes()[0].text, "波形が存在しません。視聴できません。");
    EXPECT_EQ(answers.messageBoxes()[0].caption, "エラー");
    EXPECT_EQ(answers.messageBoxes()[0].type, static_cast<UINT>(MB_ICONWARNING));
    EXPECT_EQ(answers.messageBoxes()[0].owner, window);

    openPitchBank(3);
    typeInto(IDC_CYCLE_SIZE, "22050");
    playKeyboard([&](HWND keyboard) {
        EXPECT_EQ(play(keyboard, keyA), 28160u / 2) << "a cycle twice as short as the bank's plays an octave down";
        gui::clickCloseBox(keyboard);
    });
    EXPECT_EQ(inside().bank().getInstrumentTone(3).cycleSize, 22050);
}

#ifndef _WIN32
#include "tests/support/AlsaConfiguration.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <numbers>
#include <unistd.h>

namespace {

// A file name of this process alone: test programs of several builds may run at once.
std::string scratchPath(const std::string& name)
{
    return testing::TempDir() + "audition_" + std::to_string(getpid()) + "_" + name;
}

// Left-channel samples of the WAV file the file plugin wrote (its sizes may be unfinished).
std::vector<std::int16_t> capturedLeft(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::vector<std::int16_t> left;
    for (std::size_t i = 12; i + 8 <= bytes.size();) {
        const std::uint32_t size = bytes[i + 4] | (bytes[i + 5] << 8) | (bytes[i + 6] << 16) |
                                   (static_cast<std::uint32_t>(bytes[i + 7]) << 24);
        if (std::string(bytes.begin() + static_cast<std::ptrdiff_t>(i),
                        bytes.begin() + static_cast<std::ptrdiff_t>(i) + 4) == "data") {
            for (std::size_t at = i + 8; at + 4 <= bytes.size(); at += 4)
                left.push_back(static_cast<std::int16_t>(bytes[at] | (bytes[at + 1] << 8)));
            break;
        }
        i += 8 + size;
    }
    return left;
}

} // namespace

TEST(AuditionSound, AKeyComesOutOfTheCardAtItsPitchAndLevel)
{
    const std::string capture = scratchPath("capture.wav");
    AlsaConfiguration fileCard(scratchPath("alsa.conf"), alsaFileDevice(capture));
    {
        // The program as it starts: the sound card, no test output.
        win32test::DialogAnswers answers;
        EditorDialog editor;
        EditorDialog::TestAccess inside(editor);
        editor.open(nullptr, IDD_EDITOR);
        ASSERT_TRUE(answers.messageBoxes().empty()) << "the sound card did not open";
        // One cycle of a sine per 256 samples, held at full level while the key is down.
        auto wave = std::make_shared<WaveBlock>(256);
        for (int i = 0; i < 256; ++i)
            wave->samples[i] = static_cast<std::int8_t>(std::lround(127 * std::sin(2 * std::numbers::pi * i / 256)));
        inside.bank().appendWave(wave);
        ToneRecord sine;
        sine.AR = sine.DL = sine.NL = sine.SL = 0x7F0000;
        sine.cycleSize = 256;
        sine.sampleCount = 256;
        sine.wave = wave;
        inside.bank().setInstrumentTone(0, sine);
        inside.rebuildWaveList();
        inside.showTone();
        ASSERT_TRUE(whileOpen([&] { gui::click(GetDlgItem(editor.hwnd, IDC_AUDITION)); },
                              [&](HWND keyboard) {
                                  gui::mousePress(GetDlgItem(keyboard, IDC_KEY + keyA), 5, 5);
                                  gui::drainPostedMessages();
                                  gui::pause(150);
                                  gui::mouseRelease(GetDlgItem(keyboard, IDC_KEY + keyA), 5, 5);
                                  gui::drainPostedMessages();
                                  gui::clickCloseBox(keyboard);
                              }));
        DestroyWindow(editor.hwnd);
        MSG quit;
        while (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }
    const std::vector<std::int16_t> left = capturedLeft(capture);
    std::remove(capture.c_str());

    // Level: volume 100 at full envelope gives an amplitude of 100 x 0x7F0000 >> 21 = 396;
    // a sample of 127 makes 50292, of which the centre pan gives each channel half.
    const auto [low, high] = std::minmax_element(left.begin(), left.end());
    ASSERT_NE(high, left.end());
    EXPECT_EQ(*high, 25146);
    EXPECT_EQ(*low, -25146);

    // Pitch: the distances between rising zero crossings, across whatever gaps the
    // render left where it fell behind the card.
    std::vector<std::size_t> periods;
    std::size_t last = 0;
    for (std::size_t i = 1; i < left.size(); ++i) {
        if (left[i - 1] < 0 && left[i] >= 0) {
            if (last != 0)
                periods.push_back(i - last);
            last = i;
        }
    }
    ASSERT_GT(periods.size(), 100u);
    std::vector<std::size_t> sorted = periods;
    std::nth_element(sorted.begin(), sorted.begin() + static_cast<std::ptrdiff_t>(sorted.size() / 2), sorted.end());
    const std::size_t median = sorted[sorted.size() / 2];
    double sum = 0;
    int cycles = 0;
    for (std::size_t period : periods) {
        if (period + 2 >= median && period <= median + 2) {
            sum += static_cast<double>(period);
            ++cycles;
        }
    }
    const double hertz = 44100.0 * cycles / sum;
    RecordProperty("capturedHertz", std::to_string(hertz));
    RecordProperty("capturedPeak", std::to_string(*high));
    EXPECT_NEAR(hertz, 220.0, 0.2) << "octave 4 A";
}
#else
// The card under Wine is Wine's own sound driver, which has no file to capture into;
// the Qt layer's build checks the sound path through ALSA's file plugin.
#endif
