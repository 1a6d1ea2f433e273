// The main window's three sub-dialog commands: what each does before and after its
// dialog, seen in the bank and in the message boxes.
#include "EditorFixture.h"
#include "SubDialogRig.h"

#include "editor/MessageTexts.h"

namespace {

class SubDialogCommandsTest : public EditorTest {
protected:
    // Two drum sets over three drum tones; every program plays set 0.
    void openDrumBank()
    {
        ToneBank bank;
        addWave(bank, 256);
        for (int i = 0; i < 3; ++i)
            bank.addDrumTone();
        bank.setDrumSetCount(2);
        for (int set = 0; set < 2; ++set)
            for (int note = 0; note < 128; ++note)
                bank.drumMaps()[set][note] = (set + note) % 3;
        openBank(bank);
        maps = inside().bank().drumMaps();
        setMap = inside().bank().drumSetMap();
    }

    // Opens the drum map editor and, once it is up, adds a set, a drum tone and a
    // change to note 0 of set 0, then leaves with `leave`.
    void editDrumMap(const std::function<void(HWND)>& leave)
    {
        ASSERT_TRUE(whileOpen([this] { gui::click(item(IDC_DRUM_SET_MAP)); },
                              [&](HWND drumMap) {
                                  gui::click(GetDlgItem(drumMap, IDC_DRUMMAP_ADD_DRUM_TONE));
                                  gui::keyClick(GetDlgItem(drumMap, IDC_GRID_CELL), VK_DOWN);
                                  gui::click(GetDlgItem(drumMap, IDC_DRUMMAP_ADD_SET));
                                  leave(drumMap);
                              }));
        settle();
    }

    void fineTune()
    {
        SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_FINE_TUNE, BN_CLICKED),
                     reinterpret_cast<LPARAM>(item(IDC_FINE_TUNE)));
        settle();
    }

    ToneBank::DrumMaps maps{};
    ToneBank::DrumSetMap setMap{};
};

} // namespace

TEST_F(SubDialogCommandsTest, DrumMapEditsReachTheBankOnlyWithOkButAddedDrumTonesStay)
{
    openDrumBank();
    editDrumMap([](HWND drumMap) { gui::click(GetDlgItem(drumMap, IDCANCEL)); });
    EXPECT_EQ(inside().bank().drumSetCount(), 2u);
    EXPECT_EQ(inside().bank().drumMaps(), maps);
    EXPECT_EQ(inside().bank().drumSetMap(), setMap);
    EXPECT_EQ(inside().bank().drumToneCount(), 4u);

    editDrumMap([](HWND drumMap) { gui::clickCloseBox(drumMap); });
    EXPECT_EQ(inside().bank().drumSetCount(), 2u);
    EXPECT_EQ(inside().bank().drumMaps(), maps);
    EXPECT_EQ(inside().bank().drumToneCount(), 5u);

    editDrumMap([](HWND drumMap) { gui::click(GetDlgItem(drumMap, IDOK)); });
    ToneBank::DrumMaps expected = maps;
    expected[0][0] = 1;
    expected[2] = expected[1];
    EXPECT_EQ(inside().bank().drumSetCount(), 3u);
    EXPECT_EQ(inside().bank().drumMaps(), expected);
    EXPECT_EQ(inside().bank().drumSetMap(), setMap);
    EXPECT_EQ(inside().bank().drumToneCount(), 6u);

    ASSERT_EQ(answers.messageBoxes().size(), 3u);
    for (const auto& box : answers.messageBoxes()) {
        EXPECT_EQ(box.text, "追加しました。");
        EXPECT_NE(box.owner, window) << "the report is the drum map's, in front of it";
    }
}

TEST_F(SubDialogCommandsTest, WithoutAWaveNeitherDrumMapNorFineTuningOpens)
{
    EXPECT_FALSE(IsWindowVisible(item(IDC_FINE_TUNE))) << "the fine tuning has no visible button";
    clickButton(IDC_DRUM_SET_MAP);
    fineTune();
    ASSERT_EQ(answers.messageBoxes().size(), 2u);
    EXPECT_EQ(answers.messageBoxes()[0].text, "波形１つも存在しないため、ドラムセットのマップを表示できません。");
    EXPECT_EQ(answers.messageBoxes()[1].text, "波形が１つも存在しないため、波形微調整を行えません。");
    for (const auto& box : answers.messageBoxes()) {
        EXPECT_EQ(box.caption, "エラー");
        EXPECT_EQ(box.type, static_cast<UINT>(MB_ICONWARNING));
        EXPECT_EQ(box.owner, window);
    }
}

// Exactly 65536 bytes opens without the question, but its transform (4.3 billion
// cosines) takes minutes; a short wave stands for the waves that need no question.
TEST_F(SubDialogCommandsTest, FineTuningAsksFirstOnlyForAWaveOverTheLimit)
{
    ToneBank bank;
    addWave(bank, 1000);
    addWave(bank, 65537);
    openBank(bank);
    ASSERT_EQ(inside().currentWave(), 0);
    ASSERT_TRUE(whileOpen([this] { fineTune(); },
                          [](HWND tune) {
                              EXPECT_EQ(shownText(tune), "波形微調整");
                              gui::click(GetDlgItem(tune, IDOK));
                          }));
    EXPECT_TRUE(answers.messageBoxes().empty());

    selectInList(IDC_WAVE_LIST, 1);
    ASSERT_EQ(inside().currentWave(), 1);
    answers.messageBox(IDNO);
    {
        // Were the question skipped, the dialog would open once its transform is done.
        gui::Watchdog watchdog(1000, [] { EndDialog(Dialog::pendingDialog->hwnd, 0); });
        fineTune();
        EXPECT_FALSE(watchdog.fired());
    }
    ASSERT_EQ(answers.messageBoxes().size(), 1u);
    EXPECT_EQ(answers.messageBoxes()[0].text, "波形が巨大です。処理に時間がかかりますが、よろしいですか？");
    EXPECT_EQ(answers.messageBoxes()[0].caption, "確認");
    EXPECT_EQ(answers.messageBoxes()[0].type, static_cast<UINT>(MB_YESNO | MB_ICONINFORMATION));
    EXPECT_EQ(answers.messageBoxes()[0].owner, window);
}
