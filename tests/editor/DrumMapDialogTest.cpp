// The drum map dialog as the user drives it: the grid of one set at a time, the cells,
// the sets added and deleted, drum tones added and a note auditioned; checked by what
// the dialog shows and by the copies it would give back.
#include "SubDialogRig.h"

#include "editor/DrumMapDialog.h"
#include "editor/EditorTestAccess.h"
#include "editor/MessageTexts.h"
#include "platform/Win32TestHook.h"
#include "resources/resource.h"
#include "synth/NoteTable.h"

#include <gtest/gtest.h>

namespace {

class DrumMapDialogTest : public ::testing::Test {
protected:
    DrumMapDialogTest() { addWave(rig.bank, 44100); }

    // Drum tones 0 to count - 1, each a pitch tone marked with its number.
    void addDrumTones(std::uint32_t count)
    {
        for (std::uint32_t i = 0; i < count; ++i) {
            ASSERT_TRUE(rig.bank.addDrumTone());
            rig.bank.setDrumTone(i, pitchTone(rig.bank, 0, static_cast<std::int32_t>(i)));
        }
    }

    // Opens the dialog on copies of the bank's drum sets and runs `inside` while it is up.
    void run(const std::function<void()>& inside)
    {
        dialog.copyFrom(rig.bank);
        ASSERT_TRUE(whileOpen([this] { dialog.run(nullptr); }, [&inside](HWND) { inside(); }));
    }

    HWND item(int id) const { return GetDlgItem(dialog.hwnd, id); }
    HWND cell(int note) const { return item(IDC_GRID_CELL + note); }
    HWND setList() const { return item(IDC_DRUMMAP_SET_LIST); }
    HWND auditionNote() const { return item(IDC_DRUMMAP_AUDITION_NOTE); }

    // Every cell shows the drum tone that `map` gives its note, or nothing for a number
    // the list does not hold.
    void expectGridShows(const ToneBank::DrumMap& map) const
    {
        const auto tones = static_cast<std::int32_t>(rig.bank.drumToneCount());
        for (int note = 0; note < 128; ++note) {
            ASSERT_EQ(listCount(cell(note)), tones) << "cell " << note;
            const std::int32_t shown = map[note] >= 0 && map[note] < tones ? map[note] : CB_ERR;
            ASSERT_EQ(listSelection(cell(note)), shown) << "cell " << note;
        }
    }

    SoundRig rig;
    DrumMapDialog dialog{rig.bank, rig.synth};
    // The copies the dialog edits, as they stand.
    DrumMapDialog::TestAccess copies{dialog};
};

} // namespace

TEST_F(DrumMapDialogTest, TheGridShowsTheChosenSetAndACellStoresItsChoice)
{
    addDrumTones(5);
    rig.bank.setDrumSetCount(3);
    for (int set = 0; set < 3; ++set)
        for (int note = 0; note < 128; ++note)
            rig.bank.drumMaps()[set][note] = (set + note) % 5;
    rig.bank.drumMaps()[1][7] = 9; // a drum tone the bank does not have
    const ToneBank::DrumMaps before = rig.bank.drumMaps();

    run([&] {
        EXPECT_EQ(listCount(setList()), 3);
        EXPECT_EQ(shownText(setList()), "0");
        EXPECT_EQ(listCount(auditionNote()), 128);
        EXPECT_EQ(shownText(auditionNote()), "0");
        expectGridShows(before[0]);

        gui::keyClick(setList(), VK_DOWN);
        EXPECT_EQ(shownText(setList()), "1");
        expectGridShows(before[1]);

        // The user takes the next drum tone in the cell of note 10.
        gui::keyClick(cell(10), VK_DOWN);
        EXPECT_EQ(shownText(cell(10)), "2");
        EXPECT_EQ(shownText(auditionNote()), "10") << "the audition note follows the cell";
        gui::clickCloseBox(dialog.hwnd);
    });
    EXPECT_FALSE(dialog.accepted());
    ToneBank::DrumMaps expected = before;
    expected[1][10] = 2;
    EXPECT_EQ(copies.drumMaps(), expected);
    EXPECT_EQ(rig.bank.drumMaps(), before) << "the dialog works on copies";
}

TEST_F(DrumMapDialogTest, DrumToneAddedListsAtOnceAndTheAuditionSoundsTheNoteForASecond)
{
    rig.bank.drumMaps()[0][5] = 3;
    win32test::DialogAnswers answers;
    run([&] {
        // No drum tones: the cells list nothing, and touching one leaves it no tone.
        EXPECT_EQ(listCount(cell(5)), 0);
        gui::click(cell(5));
        EXPECT_EQ(copies.drumMaps()[0][5], -1);
        EXPECT_EQ(shownText(auditionNote()), "5");
        gui::click(item(IDC_DRUMMAP_AUDITION));
        EXPECT_FALSE(rig.synth.state().active) << "a cell without a drum tone does not sound";

        gui::click(item(IDC_DRUMMAP_ADD_DRUM_TONE));
        ASSERT_EQ(rig.bank.drumToneCount(), 1u);
        EXPECT_EQ(listCount(cell(5)), 1);
        EXPECT_EQ(listCount(cell(127)), 1);
        rig.bank.setDrumTone(0, pitchTone(rig.bank, 0, 0));

        gui::keyClick(cell(5), VK_DOWN);
        EXPECT_EQ(copies.drumMaps()[0][5], 0);
        const DWORD start = GetTickCount();
        gui::click(item(IDC_DRUMMAP_AUDITION));
        // A second, read on a clock that may tick in steps of 16 ms.
        EXPECT_GE(GetTickCount() - start, 980u) << "the note sounds for a second";
        const VoiceState voice = rig.synth.state();
        EXPECT_TRUE(voice.active);
        EXPECT_EQ(voice.volume, 127);
        EXPECT_EQ(voice.stage, releaseStage) << "released after its second";
        EXPECT_EQ(startedFrequency(rig.synth), noteFrequency(5));
        gui::click(item(IDCANCEL));
    });
    EXPECT_FALSE(dialog.accepted());
    ASSERT_EQ(answers.messageBoxes().size(), 1u);
    EXPECT_EQ(answers.messageBoxes()[0].text, "追加しました。");
    EXPECT_EQ(answers.messageBoxes()[0].caption, "報告");
    EXPECT_EQ(answers.messageBoxes()[0].type, static_cast<UINT>(MB_ICONINFORMATION));
    EXPECT_EQ(rig.bank.drumToneCount(), 1u) << "a drum tone added stays, whatever the dialog's end";
}

TEST_F(DrumMapDialogTest, ADrumToneTheBankRefusesIsReportedAndChangesNothing)
{
    // The bank takes no drum tone without a wave to play (nor beyond 16384).
    addDrumTones(2);
    ASSERT_TRUE(rig.bank.removeLastWave());
    win32test::DialogAnswers answers;
    run([&] {
        gui::click(item(IDC_DRUMMAP_ADD_DRUM_TONE));
        EXPECT_EQ(listCount(cell(64)), 2);
        gui::click(item(IDOK));
    });
    EXPECT_TRUE(dialog.accepted());
    EXPECT_EQ(rig.bank.drumToneCount(), 2u);
    ASSERT_EQ(answers.messageBoxes().size(), 1u);
    EXPECT_EQ(answers.messageBoxes()[0].text, "これ以上追加できません。");
    EXPECT_EQ(answers.messageBoxes()[0].caption, "エラー");
    EXPECT_EQ(answers.messageBoxes()[0].type, static_cast<UINT>(MB_ICONWARNING));
}

TEST_F(DrumMapDialogTest, SetsAreAddedAsCopiesAndDeletedWithTheSetMapRenumbered)
{
    addDrumTones(40);
    rig.bank.setDrumSetCount(4);
    for (int set = 0; set < 4; ++set)
        for (int note = 0; note < 128; ++note)
            rig.bank.drumMaps()[set][note] = set * 10 + note % 10;
    // The programs use sets 0, 1 and 3; set 2 is free to go.
    const int usedSets[] = {0, 1, 3};
    const int renumbered[] = {0, 1, 2};
    for (int program = 0; program < 128; ++program)
        rig.bank.drumSetMap()[program] = usedSets[program % 3];
    const ToneBank::DrumMaps before = rig.bank.drumMaps();

    win32test::DialogAnswers answers;
    answers.messageBox(IDOK).messageBox(IDNO).messageBox(IDYES);
    run([&] {
        gui::keyClick(setList(), VK_DOWN);
        gui::click(item(IDC_DRUMMAP_DELETE_SET));
        EXPECT_EQ(copies.drumSetCount(), 4) << "a set a program uses stays";

        gui::keyClick(setList(), VK_DOWN);
        EXPECT_EQ(shownText(setList()), "2");
        gui::click(item(IDC_DRUMMAP_DELETE_SET)); // No
        EXPECT_EQ(copies.drumSetCount(), 4);
        gui::click(item(IDC_DRUMMAP_DELETE_SET)); // Yes
        EXPECT_EQ(copies.drumSetCount(), 3);
        EXPECT_EQ(listCount(setList()), 3);
        EXPECT_EQ(shownText(setList()), "0");
        expectGridShows(before[0]);

        gui::click(item(IDC_DRUMMAP_ADD_SET));
        EXPECT_EQ(listCount(setList()), 4);
        EXPECT_EQ(shownText(setList()), "3");
        // The new set copies the one before it, which is the old set 3.
        expectGridShows(before[3]);
        gui::click(item(IDOK));
    });
    EXPECT_TRUE(dialog.accepted());
    EXPECT_EQ(copies.drumSetCount(), 4);
    EXPECT_EQ(copies.drumMaps()[0], before[0]);
    EXPECT_EQ(copies.drumMaps()[1], before[1]);
    EXPECT_EQ(copies.drumMaps()[2], before[3]) << "set 3 moved to place 2";
    EXPECT_EQ(copies.drumMaps()[3], before[3]);
    for (int program = 0; program < 128; ++program)
        ASSERT_EQ(copies.drumSetMap()[program], renumbered[program % 3]) << "program " << program;

    ASSERT_EQ(answers.messageBoxes().size(), 3u);
    EXPECT_EQ(answers.messageBoxes()[0].text, "このﾄﾞﾗﾑｾｯﾄはﾌﾟﾛｸﾞﾗﾑﾁｪﾝｼﾞに関連づけられています。削除できません。\n");
    EXPECT_EQ(answers.messageBoxes()[0].caption, "エラー");
    EXPECT_EQ(answers.messageBoxes()[0].type, static_cast<UINT>(MB_ICONWARNING));
    for (int i : {1, 2}) {
        EXPECT_EQ(answers.messageBoxes()[i].text, "このﾄﾞﾗﾑｾｯﾄを削除します。よろしいですか？");
        EXPECT_EQ(answers.messageBoxes()[i].caption, "確認");
        EXPECT_EQ(answers.messageBoxes()[i].type, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
    }
}

TEST_F(DrumMapDialogTest, TheSetCountStaysWithinOneTo128)
{
    // One set that no program uses: still it is not deleted.
    rig.bank.drumSetMap().fill(5);
    win32test::DialogAnswers answers;
    run([&] {
        gui::click(item(IDC_DRUMMAP_DELETE_SET));
        gui::click(item(IDOK));
    });
    EXPECT_EQ(copies.drumSetCount(), 1);

    rig.bank.setDrumSetCount(127);
    run([&] {
        gui::click(item(IDC_DRUMMAP_ADD_SET));
        EXPECT_EQ(shownText(setList()), "127");
        gui::click(item(IDC_DRUMMAP_ADD_SET));
        EXPECT_EQ(listCount(setList()), 128);
        gui::click(item(IDOK));
    });
    EXPECT_EQ(copies.drumSetCount(), 128);

    ASSERT_EQ(answers.messageBoxes().size(), 2u);
    EXPECT_EQ(answers.messageBoxes()[0].text, "最後のﾄﾞﾗﾑｾｯﾄは削除できません。");
    EXPECT_EQ(answers.messageBoxes()[0].caption, "エラー");
    EXPECT_EQ(answers.messageBoxes()[0].type, static_cast<UINT>(MB_ICONWARNING));
    EXPECT_EQ(answers.messageBoxes()[1].text, "これ以上追加できません。");
}

TEST_F(DrumMapDialogTest, TheSetMapCyclesAndChangesTheMapOnlyWithOk)
{
    addDrumTones(2);
    rig.bank.setDrumSetCount(3);
    for (int program = 0; program < 128; ++program)
        rig.bank.drumSetMap()[program] = (program * 5) % 3;
    rig.bank.drumSetMap()[100] = 7; // a set the bank does not have
    const ToneBank::DrumSetMap before = rig.bank.drumSetMap();
    ToneBank::DrumSetMap cyclic;
    for (int program = 0; program < 128; ++program)
        cyclic[program] = program % 3;

    // The set map's cells, as the nested dialog shows them.
    const auto shownMap = [] {
        const HWND setMap = Dialog::pendingDialog->hwnd;
        ToneBank::DrumSetMap shown;
        for (int program = 0; program < 128; ++program) {
            const HWND cell = GetDlgItem(setMap, IDC_GRID_CELL + program);
            EXPECT_EQ(listCount(cell), 3);
            shown[program] = static_cast<std::int32_t>(listSelection(cell));
        }
        return shown;
    };
    ToneBank::DrumSetMap expectedFirst = before;
    expectedFirst[100] = CB_ERR;

    win32test::DialogAnswers answers;
    answers.messageBox(IDNO).messageBox(IDYES).messageBox(IDYES);
    run([&] {
        const auto editSetMap = [&](const std::function<void(HWND)>& inside) {
            EXPECT_TRUE(whileOpen([&] { gui::click(item(IDC_DRUMMAP_SET_MAP)); }, inside));
        };
        editSetMap([&](HWND setMap) {
            EXPECT_EQ(shownText(setMap), "ﾄﾞﾗﾑｾｯﾄﾏｯﾌﾟ");
            EXPECT_EQ(shownMap(), expectedFirst);
            gui::click(GetDlgItem(setMap, IDC_SETMAP_CYCLE)); // No
            EXPECT_EQ(shownMap(), expectedFirst);
            gui::click(GetDlgItem(setMap, IDC_SETMAP_CYCLE)); // Yes
            EXPECT_EQ(shownMap(), cyclic);
            gui::keyClick(GetDlgItem(setMap, IDC_SETMAP_CYCLE), VK_ESCAPE);
            EXPECT_TRUE(IsWindowVisible(setMap)) << "Esc does not close the set map";
            gui::clickCloseBox(setMap);
        });
        EXPECT_EQ(copies.drumSetMap(), before) << "the close box keeps the map";

        editSetMap([&](HWND setMap) {
            gui::click(GetDlgItem(setMap, IDC_SETMAP_CYCLE)); // Yes
            gui::click(GetDlgItem(setMap, IDOK));
        });
        EXPECT_EQ(copies.drumSetMap(), cyclic);
        gui::clickCloseBox(dialog.hwnd);
    });
    EXPECT_FALSE(dialog.accepted());
    ASSERT_EQ(answers.messageBoxes().size(), 3u);
    EXPECT_EQ(answers.messageBoxes()[0].text, "循環設定値で上書きしてよろしいですか？");
    EXPECT_EQ(answers.messageBoxes()[0].caption, "確認");
    EXPECT_EQ(answers.messageBoxes()[0].type, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
}
