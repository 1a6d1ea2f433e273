// Picking a tone and seeing it in the fields; typing into the fields and storing them.
#include "EditorFixture.h"

#include "cli/DemoBank.h"

namespace {

// A bank whose tone 0 uses wave 1 with a part of it, and whose fields all differ.
std::unique_ptr<ToneBank> bankWithTones(std::uint32_t drumTones)
{
    auto bank = std::make_unique<ToneBank>();
    for (std::uint32_t w = 0; w < 3; ++w)
        bank->appendWave(std::make_shared<WaveBlock>(100 + 100 * w));
    for (std::uint32_t p = 0; p < ToneBank::instrumentToneCount; ++p) {
        ToneRecord tone;
        for (int f = 0; f < ToneRecord::fieldCount; ++f)
            if (f != ToneRecord::waveField)
                tone.setField(f, static_cast<std::int32_t>(p * 1000 + static_cast<std::uint32_t>(f)));
        tone.drumAlgorithm = 0;
        tone.wave = bank->waveData(1);
        tone.sampleCount = 50;
        tone.cycleSize = 25;
        bank->setInstrumentTone(p, tone);
    }
    for (std::uint32_t d = 0; d < drumTones; ++d) {
        bank->addDrumTone();
        ToneRecord tone = bank->getInstrumentTone(0);
        tone.AR = static_cast<std::int32_t>(7000 + d);
        tone.drumAlgorithm = 1;
        bank->setDrumTone(d, tone);
    }
    return bank;
}

std::uint32_t unsignedField(HWND window, int id)
{
    return GetDlgItemInt(window, id, nullptr, FALSE);
}

} // namespace

TEST_F(EditorTest, AnOpenedBankShowsItsFirstToneWithItsOwnWaveAndSavesUnchanged)
{
    ToneBank demo;
    buildDemoBank(demo);
    ASSERT_TRUE(demo.saveBank(path("demo.zbk").c_str()));
    openBankFile(path("demo.zbk"));
    ASSERT_TRUE(answers.messageBoxes().empty());

    const ToneRecord piano = demo.getInstrumentTone(0);
    EXPECT_EQ(selectionOf(IDC_TONE_LIST), 0);
    char entry[32] = {};
    GetWindowTextA(item(IDC_TONE_LIST), entry, sizeof entry);
    EXPECT_STREQ(entry, "0: Piano 1");
    EXPECT_EQ(unsignedField(window, IDC_AR), static_cast<std::uint32_t>(piano.AR));
    EXPECT_EQ(unsignedField(window, IDC_SL), static_cast<std::uint32_t>(piano.SL));
    EXPECT_EQ(unsignedField(window, IDC_FREQUENCY_SHIFT), static_cast<std::uint32_t>(piano.frequencyShift));
    EXPECT_EQ(unsignedField(window, IDC_SAMPLE_COUNT), static_cast<std::uint32_t>(piano.sampleCount));
    EXPECT_EQ(unsignedField(window, IDC_CYCLE_SIZE), static_cast<std::uint32_t>(piano.cycleSize));
    // The refresh after opening selects the tone's own wave, not the first one.
    ASSERT_NE(demo.findWave(piano.wave), 0);
    EXPECT_EQ(selectionOf(IDC_WAVE_LIST), demo.findWave(piano.wave));
    EXPECT_EQ(SendMessageA(item(IDC_WAVE_LIST), CB_GETCOUNT, 0, 0), static_cast<LRESULT>(demo.waveCount()));

    EXPECT_EQ(saveBank(), fileBytes(path("demo.zbk")));
}

TEST_F(EditorTest, UnsignedFieldsShowNegativeValuesUnsignedAndStoreThemUnchanged)
{
    auto bank = bankWithTones(0);
    ToneRecord tone = bank->getInstrumentTone(0);
    tone.groupNumber = -1;
    tone.AR = -2;
    tone.DR = -5;
    tone.NR = -6;
    bank->setInstrumentTone(0, tone);
    openBank(*bank);

    EXPECT_EQ(fieldText(IDC_GROUP_NUMBER), "4294967295");
    EXPECT_EQ(fieldText(IDC_AR), "4294967294");
    EXPECT_EQ(fieldText(IDC_DR), "-5");
    EXPECT_EQ(fieldText(IDC_NR), "-6");
    clickButton(IDC_UPDATE_ENVELOPE);
    const ToneRecord stored = inside().bank().getInstrumentTone(0);
    EXPECT_EQ(stored.groupNumber, -1);
    EXPECT_EQ(stored.AR, -2);
    EXPECT_EQ(stored.DR, -5);
    EXPECT_EQ(stored.NR, -6);
    EXPECT_EQ(saveBank(), fileBytes(path("opened.zbk")));
}

TEST_F(EditorTest, OnlyTheSignedFieldsTakeAMinusSign)
{
    openBank(*bankWithTones(0));
    typeInto(IDC_DR, "-42");
    typeInto(IDC_NR, "-7");
    typeInto(IDC_AR, "-42");
    typeInto(IDC_SL, "12x");
    clickButton(IDC_UPDATE_ENVELOPE);
    const ToneRecord stored = inside().bank().getInstrumentTone(0);
    EXPECT_EQ(stored.DR, -42);
    EXPECT_EQ(stored.NR, -7);
    EXPECT_EQ(stored.AR, 42) << "a digits-only field refuses the minus sign as it is typed";
    EXPECT_EQ(stored.SL, 12);
}

TEST_F(EditorTest, StoringCutsTheCountToTheWaveAndTheCycleToTheCountShownAtTheNextRefresh)
{
    auto bank = bankWithTones(0);
    ToneRecord tone = bank->getInstrumentTone(3);
    tone.sampleCount = 1000; // more than wave 1's 200 samples
    bank->setInstrumentTone(3, tone);
    openBank(*bank);
    selectInList(IDC_TONE_LIST, 3);
    EXPECT_EQ(fieldText(IDC_SAMPLE_COUNT), "1000");

    typeInto(IDC_CYCLE_SIZE, "5000");
    clickButton(IDC_UPDATE_ENVELOPE);
    EXPECT_EQ(inside().bank().getInstrumentTone(3).sampleCount, 200);
    EXPECT_EQ(inside().bank().getInstrumentTone(3).cycleSize, 200);
    EXPECT_EQ(fieldText(IDC_CYCLE_SIZE), "5000") << "the fields change only when the tone is shown again";

    selectInList(IDC_TONE_LIST, 3);
    EXPECT_EQ(fieldText(IDC_SAMPLE_COUNT), "200");
    EXPECT_EQ(fieldText(IDC_CYCLE_SIZE), "200");
}

TEST_F(EditorTest, DrumModeWithoutDrumTonesShowsZerosStoresNothingAndCannotAudition)
{
    openBank(*bankWithTones(0));
    EXPECT_TRUE(IsWindowEnabled(item(IDC_AUDITION)));
    const std::string cycleShown = fieldText(IDC_CYCLE_SIZE);

    setDrumMode(true);
    EXPECT_EQ(SendMessageA(item(IDC_TONE_LIST), CB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(selectionOf(IDC_TONE_LIST), CB_ERR);
    for (int id : {IDC_AR, IDC_DL, IDC_DR, IDC_NL, IDC_NR, IDC_SL, IDC_SR, IDC_RR, IDC_LOOP_RETURN, IDC_GROUP_NUMBER,
                   IDC_SAMPLE_COUNT})
        EXPECT_EQ(fieldText(id), "0") << "control " << id;
    EXPECT_EQ(fieldText(IDC_CYCLE_SIZE), cycleShown) << "the other fields keep what they showed";
    EXPECT_FALSE(IsWindowEnabled(item(IDC_AUDITION)));

    const ToneRecord before = inside().bank().getInstrumentTone(0);
    typeInto(IDC_AR, "77");
    clickButton(IDC_UPDATE_ENVELOPE);
    EXPECT_EQ(inside().bank().getInstrumentTone(0), before);
    EXPECT_EQ(inside().bank().drumToneCount(), 0u);

    setDrumMode(false);
    EXPECT_TRUE(IsWindowEnabled(item(IDC_AUDITION)));
    EXPECT_EQ(selectionOf(IDC_TONE_LIST), 0);
    EXPECT_EQ(fieldText(IDC_AR), std::to_string(before.AR));
}

TEST_F(EditorTest, SwitchingModeKeepsTheIndexWhereTheOtherListHasItAndStoresNothing)
{
    openBank(*bankWithTones(6));
    selectInList(IDC_TONE_LIST, 5);
    typeInto(IDC_AR, "99");
    setDrumMode(true);
    EXPECT_EQ(selectionOf(IDC_TONE_LIST), 5);
    EXPECT_EQ(fieldText(IDC_AR), "7005");
    EXPECT_TRUE(IsDlgButtonChecked(window, IDC_DRUM_ALGORITHM));
    EXPECT_EQ(inside().bank().getInstrumentTone(5).AR, 5000) << "switching does not store the edits";

    openBank(*bankWithTones(3), "three.zbk");
    setDrumMode(false);
    selectInList(IDC_TONE_LIST, 5);
    setDrumMode(true);
    EXPECT_EQ(selectionOf(IDC_TONE_LIST), 0);
    EXPECT_EQ(fieldText(IDC_AR), "7000");
}

TEST_F(EditorTest, DrumTonesAndWavesAboveAByteAreThemselves)
{
    auto bank = bankWithTones(201);
    while (bank->waveCount() < 301)
        bank->appendWave(std::make_shared<WaveBlock>(1000 + bank->waveCount()));
    ToneRecord tone = bank->getDrumTone(200);
    tone.wave = bank->waveData(300);
    tone.sampleCount = 1300;
    tone.cycleSize = 650;
    bank->setDrumTone(200, tone);
    openBank(*bank);

    setDrumMode(true);
    selectInList(IDC_TONE_LIST, 200);
    EXPECT_EQ(fieldText(IDC_AR), "7200");
    EXPECT_EQ(selectionOf(IDC_WAVE_LIST), 300);
    EXPECT_EQ(fieldText(IDC_SAMPLE_COUNT), "1300");
    EXPECT_EQ(fieldText(IDC_CYCLE_SIZE), "650");
}

TEST_F(EditorTest, OpeningTheToneListStoresTheEditsIntoTheToneBeingLeft)
{
    openBank(*bankWithTones(0));
    typeInto(IDC_AR, "1234");
    HWND list = item(IDC_TONE_LIST);
    gui::click(list);
    settle();
    gui::keyClick(list, VK_DOWN);
    gui::keyClick(list, VK_DOWN);
    gui::keyClick(list, VK_RETURN);
    settle();
    EXPECT_EQ(inside().bank().getInstrumentTone(0).AR, 1234);
    EXPECT_EQ(selectionOf(IDC_TONE_LIST), 2);
    EXPECT_EQ(fieldText(IDC_AR), "2000");
}

TEST_F(EditorTest, TheWaveListAssignsAWaveOnlyWhenTheUserChoosesOne)
{
    openBank(*bankWithTones(0));
    HWND list = item(IDC_WAVE_LIST);
    ASSERT_EQ(selectionOf(IDC_WAVE_LIST), 1);

    // Focus, opening and closing without a choice: the tone keeps its pitch and length.
    gui::click(list);
    settle();
    gui::keyClick(list, VK_ESCAPE);
    settle();
    EXPECT_EQ(inside().bank().getInstrumentTone(0).sampleCount, 50);
    EXPECT_EQ(inside().bank().getInstrumentTone(0).cycleSize, 25);

    // Choosing the entry already chosen assigns it whole.
    gui::click(list);
    settle();
    gui::keyClick(list, VK_RETURN);
    settle();
    EXPECT_EQ(inside().bank().getInstrumentTone(0).sampleCount, 200);
    EXPECT_EQ(inside().bank().getInstrumentTone(0).cycleSize, 200);

    // Another wave, by the keyboard on the closed list.
    gui::keyClick(list, VK_DOWN);
    settle();
    const ToneRecord tone = inside().bank().getInstrumentTone(0);
    EXPECT_EQ(inside().bank().findWave(tone.wave), 2);
    EXPECT_EQ(tone.sampleCount, 300);
    EXPECT_EQ(tone.cycleSize, 300);
    EXPECT_EQ(fieldText(IDC_SAMPLE_COUNT), "300");
}
