// The buttons that edit the current wave and the whole bank, pressed as the user presses
// them, with their questions answered through the hook.
#include "EditorFixture.h"

#include <numeric>

namespace {

using Samples = std::vector<std::int8_t>;

class WaveCommandsTest : public EditorTest {
protected:
    // Opens a bank whose tone 0 plays all of wave 1 (`samples`); waves 0 and 2 are
    // there too, and tone p plays wave p mod 3 unless `othersUsed` is off, when every
    // tone plays wave 1.
    void openWave(const Samples& samples, bool othersUsed = true)
    {
        ToneBank bank;
        bank.appendWave(std::make_shared<WaveBlock>(10));
        auto block = std::make_shared<WaveBlock>(samples.size());
        block->samples = samples;
        bank.appendWave(block);
        bank.appendWave(std::make_shared<WaveBlock>(30));
        for (std::uint32_t p = 0; p < ToneBank::instrumentToneCount; ++p) {
            ToneRecord tone;
            tone.wave = othersUsed ? bank.waveData(p % 3) : bank.waveData(1);
            tone.sampleCount = static_cast<std::int32_t>(bank.waveSize(p % 3));
            tone.cycleSize = tone.sampleCount;
            bank.setInstrumentTone(p, tone);
        }
        ToneRecord current = bank.getInstrumentTone(0);
        current.wave = block;
        current.sampleCount = static_cast<std::int32_t>(samples.size());
        current.cycleSize = current.sampleCount;
        bank.setInstrumentTone(0, current);
        openBank(bank);
        ASSERT_EQ(selectionOf(IDC_WAVE_LIST), 1);
    }

    const Samples& wave(std::uint32_t i) const { return inside().bank().waveData(i)->samples; }

    // Selects samples `from` to `to` with the right button.
    void select(int from, int to)
    {
        HWND view = item(IDC_WAVE_VIEW);
        gui::mousePress(view, from, 100, true);
        gui::mouseMove(view, to, 100);
        gui::mouseRelease(view, to, 100, true);
        settle();
    }

    // Presses a button and answers its question.
    void press(int id, int answer = IDYES)
    {
        answers.messageBox(answer);
        clickButton(id);
    }

    void expectAsked(const char* text, UINT type = MB_YESNO | MB_ICONQUESTION, const char* caption = "確認")
    {
        ASSERT_FALSE(answers.messageBoxes().empty());
        const win32test::MessageBoxRecord& box = answers.messageBoxes().back();
        EXPECT_EQ(box.text, text);
        EXPECT_EQ(box.caption, caption);
        EXPECT_EQ(box.type, type);
        EXPECT_EQ(box.owner, window);
    }

    ToneRecord currentTone() const { return inside().bank().getInstrumentTone(0); }
};

Samples counting(int count)
{
    Samples samples(static_cast<std::size_t>(count));
    std::iota(samples.begin(), samples.end(), std::int8_t{1});
    return samples;
}

} // namespace

TEST_F(WaveCommandsTest, AnsweringNoLeavesTheBankAsItWas)
{
    openWave(counting(40), false);
    select(5, 20);
    SetDlgItemInt(window, IDC_NEW_SIZE, 10, FALSE);
    const std::vector<char> before = saveBank("before.zbk");
    const std::string countShown = fieldText(IDC_SAMPLE_COUNT);
    const struct {
        int id;
        const char* question;
    } commands[] = {
        {IDC_CHANGE_AMPLITUDE, "選択範囲部分の最大振幅が指定の値になるように振幅を調整します。よろしいですか？"},
        {IDC_SMOOTH, "選択範囲部分をなめらかにします。よろしいですか？"},
        {IDC_DELETE_SELECTION, "選択範囲を削除します。よろしいですか？"},
        {IDC_DELETE_BEFORE, "選択範囲より前（選択部分は含まず）を削除します。よろしいですか？"},
        {IDC_DELETE_AFTER, "選択範囲より後（選択部分は含まず）を削除します。よろしいですか？"},
        {IDC_DELETE_UNUSED_WAVES, "どの音色にも関連づけられていない波形を削除します。よろしいですか？"},
        {IDC_DELETE_UNUSED_DRUM_TONES, "どのﾄﾞﾗﾑｾｯﾄにも関連づけられていないﾄﾞﾗﾑ音色を削除します。よろしいですか？"},
        {IDC_RESIZE, "波形が一部失われますが、よろしいですかな？"},
        {IDC_STRETCH, "波形が一部間引かれますが、よろしいですかな？"},
    };
    for (const auto& command : commands) {
        SCOPED_TRACE(command.id);
        press(command.id, IDNO);
        expectAsked(command.question);
        EXPECT_EQ(fieldText(IDC_SAMPLE_COUNT), countShown);
        EXPECT_EQ(SendMessageA(item(IDC_WAVE_LIST), CB_GETCOUNT, 0, 0), 3);
    }
    EXPECT_EQ(answers.messageBoxes().size(), std::size(commands));
    EXPECT_EQ(saveBank("after.zbk"), before);
}

TEST_F(WaveCommandsTest, DeletingAroundTheSelectionLeavesTheToneWithTheWholeNewWave)
{
    openWave(counting(20));
    select(5, 9);
    press(IDC_DELETE_SELECTION);
    Samples expected = counting(20);
    expected.erase(expected.begin() + 5, expected.begin() + 10);
    EXPECT_EQ(wave(1), expected);
    EXPECT_EQ(currentTone().sampleCount, 15);
    EXPECT_EQ(currentTone().cycleSize, 15);
    EXPECT_EQ(fieldText(IDC_SAMPLE_COUNT), "15");
    EXPECT_EQ(gui::shownPixel(item(IDC_WAVE_VIEW), 6, 300), black) << "the selection is cleared";

    select(3, 4);
    press(IDC_DELETE_BEFORE);
    expected.erase(expected.begin(), expected.begin() + 3);
    EXPECT_EQ(wave(1), expected);

    select(2, 3);
    press(IDC_DELETE_AFTER);
    expected.resize(4);
    EXPECT_EQ(wave(1), expected);
    EXPECT_EQ(currentTone().sampleCount, 4);
    EXPECT_EQ(currentTone().cycleSize, 4);
    EXPECT_EQ(inside().bank().getInstrumentTone(4).sampleCount, 4) << "every tone of the wave follows it";
}

TEST_F(WaveCommandsTest, ARefusedDeletionIsNotReportedButTheToneTakesTheWavesSize)
{
    openWave(counting(6));
    typeInto(IDC_CYCLE_SIZE, "2");
    clickButton(IDC_UPDATE_ENVELOPE);
    ASSERT_EQ(currentTone().cycleSize, 2);
    select(0, 3);
    press(IDC_DELETE_SELECTION);
    EXPECT_EQ(answers.messageBoxes().size(), 1u) << "only the question";
    EXPECT_EQ(wave(1), counting(6));
    EXPECT_EQ(currentTone().cycleSize, 6);
    EXPECT_EQ(currentTone().sampleCount, 6);
}

TEST_F(WaveCommandsTest, ChangeAmplitudeReachesTheTypedPeakAndLpfSmoothsTheSelection)
{
    openWave({-64, 32, 0, 10, 10});
    select(0, 2);
    typeInto(IDC_TARGET_AMPLITUDE, "127");
    press(IDC_CHANGE_AMPLITUDE);
    EXPECT_EQ(wave(1), (Samples{-127, 63, 0, 10, 10}));

    Samples impulse(16, 0);
    impulse[8] = 100;
    openWave(impulse);
    clickButton(IDC_SELECT_ALL);
    press(IDC_SMOOTH);
    EXPECT_EQ(wave(1), (Samples{0, 0, 0, 0, 0, 4, 9, 20, 41, 9, 6, 3, 1, 0, 0, 0}));
    clickButton(IDC_CLEAR_SELECTION);
    press(IDC_SMOOTH);
    EXPECT_EQ(wave(1), (Samples{0, 0, 0, 0, 0, 4, 9, 20, 41, 9, 6, 3, 1, 0, 0, 0})) << "an empty selection";
}

TEST_F(WaveCommandsTest, ResizeCutsOrPadsAtTheEndAfterItsChecks)
{
    const Samples eight = counting(8);
    openWave(eight);
    typeInto(IDC_NEW_SIZE, "12");
    clickButton(IDC_RESIZE);
    Samples padded = eight;
    padded.resize(12, 0);
    EXPECT_EQ(wave(1), padded);
    EXPECT_TRUE(answers.messageBoxes().empty()) << "growing asks nothing";
    EXPECT_EQ(fieldText(IDC_SAMPLE_COUNT), "12");

    typeInto(IDC_NEW_SIZE, "5");
    press(IDC_RESIZE);
    expectAsked("波形が一部失われますが、よろしいですかな？");
    EXPECT_EQ(wave(1), Samples(eight.begin(), eight.begin() + 5));
    EXPECT_EQ(currentTone().sampleCount, 5);

    clickButton(IDC_RESIZE);
    expectAsked("同じサイズです、何もしません", MB_OK | MB_ICONQUESTION);
    typeInto(IDC_NEW_SIZE, "3");
    clickButton(IDC_RESIZE);
    expectAsked("いくらなんでも小さすぎます", MB_ICONWARNING, "エラー");
    EXPECT_EQ(wave(1).size(), 5u);
}

TEST_F(WaveCommandsTest, StretchRepeatsOrDropsSamplesAndCarriesTheCycleAndLoop)
{
    openWave({10, 20, 30, 40});
    typeInto(IDC_NEW_SIZE, "8");
    clickButton(IDC_STRETCH);
    EXPECT_EQ(wave(1), (Samples{10, 10, 10, 20, 20, 20, 30, 30}));

    openWave({0, 1, 2, 3, 4, 5, 6, 7});
    typeInto(IDC_NEW_SIZE, "4");
    press(IDC_STRETCH);
    EXPECT_EQ(wave(1), (Samples{0, 1, 3, 5}));

    openWave(Samples(200, 1));
    typeInto(IDC_CYCLE_SIZE, "100");
    typeInto(IDC_LOOP_RETURN, "50");
    clickButton(IDC_UPDATE_ENVELOPE);
    typeInto(IDC_NEW_SIZE, "400");
    clickButton(IDC_STRETCH);
    EXPECT_EQ(currentTone().cycleSize, 200);
    EXPECT_EQ(currentTone().loopReturn, 100);
    EXPECT_EQ(currentTone().sampleCount, 400);
    EXPECT_EQ(inside().bank().getInstrumentTone(4).sampleCount, 400);
    EXPECT_EQ(inside().bank().getInstrumentTone(4).cycleSize, 200)
        << "a tone sharing the wave gets the new count, but keeps its cycle";
}

TEST_F(WaveCommandsTest, UnusedWavesAndDrumTonesGoAndTheListsFollow)
{
    openWave(counting(20), false);
    const WaveRef current = currentTone().wave;
    press(IDC_DELETE_UNUSED_WAVES);
    EXPECT_EQ(inside().bank().waveCount(), 1u);
    EXPECT_EQ(SendMessageA(item(IDC_WAVE_LIST), CB_GETCOUNT, 0, 0), 1);
    EXPECT_EQ(selectionOf(IDC_WAVE_LIST), 0);
    EXPECT_EQ(inside().bank().waveData(0), current);

    ToneBank drums;
    drums.appendWave(std::make_shared<WaveBlock>(16));
    for (int i = 0; i < 3; ++i)
        drums.addDrumTone();
    ToneRecord named = drums.getDrumTone(2);
    named.AR = 222;
    drums.setDrumTone(2, named);
    drums.drumMaps()[0].fill(2);
    openBank(drums, "drums.zbk");
    setDrumMode(true);
    press(IDC_DELETE_UNUSED_DRUM_TONES);
    EXPECT_EQ(inside().bank().drumToneCount(), 1u);
    EXPECT_EQ(inside().bank().drumMaps()[0][60], 0);
    EXPECT_EQ(SendMessageA(item(IDC_TONE_LIST), CB_GETCOUNT, 0, 0), 1);
    EXPECT_EQ(fieldText(IDC_AR), "222");
}

TEST_F(WaveCommandsTest, WithoutACurrentWaveTheCommandsDoNothing)
{
    selectInList(IDC_TONE_LIST, 0);
    const ToneRecord before = inside().bank().getInstrumentTone(0);
    for (int id : {IDC_DELETE_SELECTION, IDC_CHANGE_AMPLITUDE, IDC_SMOOTH})
        press(id);
    typeInto(IDC_NEW_SIZE, "100");
    clickButton(IDC_RESIZE);
    clickButton(IDC_STRETCH);
    EXPECT_EQ(answers.messageBoxes().size(), 3u) << "only the three questions";
    EXPECT_EQ(inside().bank().getInstrumentTone(0), before);
    EXPECT_EQ(inside().bank().waveCount(), 0u);
}
