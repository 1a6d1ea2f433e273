// Drop-down-list combo boxes: the CB_ messages, and the CBN_ notifications as the
// user's mouse and keys cause them.
#include "GuiDriver.h"
#include "RecordingWindows.h"

#include <gtest/gtest.h>

#include <vector>

using namespace recording;

namespace {

constexpr int auditionTemplate = 104;
constexpr int drumGridTemplate = 103;
constexpr int octaveCombo = 1044;
constexpr int toneCombo = 1046;
constexpr int firstDrumCell = 9000;

class ComboBoxTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        dialog_ = openDialog(auditionTemplate);
        ASSERT_NE(dialog_, nullptr);
        combo_ = GetDlgItem(dialog_, octaveCombo);
        for (const char* text : {"zero", "one", "Two", "three"})
            add(text);
        clearLog();
    }

    LRESULT add(const char* text) { return SendMessageA(combo_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)); }
    LRESULT selection() const { return SendMessageA(combo_, CB_GETCURSEL, 0, 0); }
    bool dropped() const { return SendMessageA(combo_, CB_GETDROPPEDSTATE, 0, 0) == TRUE; }

    std::vector<WORD> codes() const
    {
        for (const Seen& seen : loggedAt(dialog_, {WM_COMMAND})) {
            if (LOWORD(seen.wParam) == octaveCombo) {
                EXPECT_EQ(reinterpret_cast<HWND>(seen.lParam), combo_);
            }
        }
        return codesFrom(dialog_, octaveCombo);
    }

    // The user clicks the box, which drops its list.
    void openList()
    {
        gui::click(combo_);
        ASSERT_TRUE(gui::waitFor([this] { return dropped(); }, 5000));
    }

    HWND dialog_ = nullptr;
    HWND combo_ = nullptr;
};

} // namespace

TEST_F(ComboBoxTest, AddingSelectsNothingAndProgramSelectionIsSilent)
{
    EXPECT_EQ(SendMessageA(combo_, CB_GETCOUNT, 0, 0), 4);
    EXPECT_EQ(selection(), CB_ERR);
    EXPECT_EQ(add("four"), 4);
    EXPECT_EQ(SendMessageA(combo_, CB_SETCURSEL, 2, 0), 2);
    EXPECT_EQ(selection(), 2);
    char text[16];
    EXPECT_EQ(GetWindowTextA(combo_, text, sizeof text), 3);
    EXPECT_STREQ(text, "Two");
    EXPECT_EQ(SendMessageA(combo_, CB_GETLBTEXTLEN, 3, 0), 5);
    EXPECT_EQ(SendMessageA(combo_, CB_GETLBTEXT, 3, reinterpret_cast<LPARAM>(text)), 5);
    EXPECT_STREQ(text, "three");
    EXPECT_EQ(SendMessageA(combo_, CB_GETLBTEXT, 9, reinterpret_cast<LPARAM>(text)), CB_ERR);

    // -1 removes the selection and reports CB_ERR.
    EXPECT_EQ(SendMessageA(combo_, CB_SETCURSEL, static_cast<WPARAM>(-1), 0), CB_ERR);
    EXPECT_EQ(selection(), CB_ERR);
    EXPECT_EQ(GetWindowTextLengthA(combo_), 0);
    EXPECT_TRUE(codes().empty());

    SendMessageA(combo_, CB_SETCURSEL, 1, 0);
    SendMessageA(combo_, CB_RESETCONTENT, 0, 0);
    EXPECT_EQ(SendMessageA(combo_, CB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(selection(), CB_ERR);
    EXPECT_EQ(add("again"), 0);
    EXPECT_EQ(selection(), CB_ERR) << "an entry added to an empty list is not selected";
}

TEST_F(ComboBoxTest, AnIndexOutsideTheListClearsTheSelection)
{
    SendMessageA(combo_, CB_SETCURSEL, 2, 0);
    EXPECT_EQ(SendMessageA(combo_, CB_SETCURSEL, 99, 0), CB_ERR);
    EXPECT_EQ(selection(), CB_ERR);
    EXPECT_EQ(GetWindowTextLengthA(combo_), 0);
}

TEST_F(ComboBoxTest, ResetContentAnswersOkay)
{
    EXPECT_EQ(SendMessageA(combo_, CB_RESETCONTENT, 0, 0), CB_OKAY);
    EXPECT_EQ(SendMessageA(combo_, CB_RESETCONTENT, 0, 0), CB_OKAY) << "also when already empty";
}

TEST_F(ComboBoxTest, FindingIgnoresLetterCaseAndWrapsRound)
{
    auto find = [this](UINT message, WPARAM start, const char* text) {
        return SendMessageA(combo_, message, start, reinterpret_cast<LPARAM>(text));
    };
    EXPECT_EQ(find(CB_FINDSTRING, static_cast<WPARAM>(-1), "t"), 2);
    EXPECT_EQ(find(CB_FINDSTRING, 2, "T"), 3);
    EXPECT_EQ(find(CB_FINDSTRING, 3, "t"), 2);
    EXPECT_EQ(find(CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), "two"), 2);
    EXPECT_EQ(find(CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), "tw"), CB_ERR);
    EXPECT_EQ(find(CB_SELECTSTRING, static_cast<WPARAM>(-1), "ON"), 1);
    EXPECT_EQ(selection(), 1);
    EXPECT_EQ(find(CB_SELECTSTRING, static_cast<WPARAM>(-1), "x"), CB_ERR);
    EXPECT_EQ(selection(), 1) << "a failed search leaves the selection";
    EXPECT_EQ(SendMessageA(combo_, CB_DELETESTRING, 0, 0), 3);
    EXPECT_EQ(find(CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), "one"), 0);
    EXPECT_EQ(SendMessageA(combo_, CB_SETITEMDATA, 1, 0x1234), TRUE);
    EXPECT_EQ(SendMessageA(combo_, CB_GETITEMDATA, 1, 0), 0x1234);
    EXPECT_EQ(SendMessageA(combo_, CB_GETITEMDATA, 7, 0), CB_ERR);
    EXPECT_TRUE(codes().empty());
}

TEST_F(ComboBoxTest, KeysOnAClosedListChooseAtOnce)
{
    SetFocus(combo_);
    clearLog();
    gui::keyClick(combo_, VK_DOWN);
    EXPECT_EQ(selection(), 0);
    gui::keyClick(combo_, VK_DOWN);
    EXPECT_EQ(selection(), 1);
    EXPECT_FALSE(dropped());
    EXPECT_EQ(codes(), (std::vector<WORD>{CBN_SELENDOK, CBN_SELCHANGE, CBN_SELENDOK, CBN_SELCHANGE}));
}

TEST_F(ComboBoxTest, OpeningWithTheMouseDropsDownAndChoosingEndsWithSelChange)
{
    ASSERT_NE(GetFocus(), combo_);
    openList();
    const std::vector<WORD> opening = codes();
    ASSERT_FALSE(opening.empty());
    EXPECT_EQ(opening.front(), CBN_SETFOCUS) << "the box takes the focus as it is pressed";
    EXPECT_EQ(opening.back(), CBN_DROPDOWN);
    EXPECT_EQ(GetFocus(), combo_);

    clearLog();
    // The user moves down the open list, which selects as it goes, and takes the entry
    // with Enter.
    for (int i = 0; i < 3; ++i)
        gui::keyClick(combo_, VK_DOWN);
    EXPECT_EQ(selection(), 2);
    EXPECT_TRUE(dropped());
    gui::keyClick(combo_, VK_RETURN);
    ASSERT_TRUE(gui::waitFor([this] { return !dropped(); }, 5000));
    EXPECT_EQ(selection(), 2);
    EXPECT_EQ(codes(), (std::vector<WORD>{CBN_SELCHANGE, CBN_SELCHANGE, CBN_SELCHANGE, CBN_SELENDOK, CBN_CLOSEUP}));
    EXPECT_TRUE(IsWindow(dialog_)) << "Enter went to the list, not to the dialog";
}

TEST_F(ComboBoxTest, ClosingTheListWithoutAChoiceCancels)
{
    SendMessageA(combo_, CB_SETCURSEL, 1, 0);
    openList();
    clearLog();
    gui::keyClick(combo_, VK_ESCAPE);
    ASSERT_TRUE(gui::waitFor([this] { return codes().size() >= 2; }, 5000));
    EXPECT_EQ(codes(), (std::vector<WORD>{CBN_SELENDCANCEL, CBN_CLOSEUP}));
    EXPECT_FALSE(dropped());
    EXPECT_EQ(selection(), 1);
}

TEST_F(ComboBoxTest, ShowDropDownByMessageNotifiesAsTheMouseDoes)
{
    SendMessageA(combo_, CB_SHOWDROPDOWN, TRUE, 0);
    EXPECT_EQ(codes(), (std::vector<WORD>{CBN_DROPDOWN}));
    EXPECT_TRUE(dropped());
    SendMessageA(combo_, CB_SHOWDROPDOWN, FALSE, 0);
    ASSERT_TRUE(gui::waitFor(
        [this] {
            const std::vector<WORD> seen = codes();
            return !seen.empty() && seen.back() == CBN_CLOSEUP;
        },
        5000));
    EXPECT_FALSE(dropped());
}

TEST_F(ComboBoxTest, FocusComesAndGoesWithNotificationsAndLeavingCancels)
{
    const HWND other = GetDlgItem(dialog_, toneCombo);
    SetFocus(other);
    clearLog();
    SetFocus(combo_);
    SetFocus(other);
    EXPECT_EQ(codes(), (std::vector<WORD>{CBN_SETFOCUS, CBN_SELENDCANCEL, CBN_KILLFOCUS}));
    EXPECT_EQ(GetFocus(), other);

    // Leaving an open list closes it, cancelled, and keeps the selection.
    SendMessageA(combo_, CB_SETCURSEL, 2, 0);
    openList();
    clearLog();
    SetFocus(other);
    EXPECT_EQ(codes(), (std::vector<WORD>{CBN_SELENDCANCEL, CBN_CLOSEUP, CBN_KILLFOCUS}));
    EXPECT_FALSE(dropped());
    EXPECT_EQ(selection(), 2);
}

TEST_F(ComboBoxTest, ALongListHoldsAndShowsItsLastEntry)
{
    const HWND cell = GetDlgItem(openDialog(drumGridTemplate), firstDrumCell);
    ASSERT_NE(cell, nullptr);
    char text[8];
    for (int i = 0; i < 16384; ++i) {
        wsprintfA(text, "%d", i);
        ASSERT_EQ(SendMessageA(cell, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)), i);
    }
    EXPECT_EQ(SendMessageA(cell, CB_GETCOUNT, 0, 0), 16384);
    EXPECT_EQ(SendMessageA(cell, CB_SETCURSEL, 16383, 0), 16383);
    EXPECT_EQ(GetWindowTextA(cell, text, sizeof text), 5);
    EXPECT_STREQ(text, "16383");
    EXPECT_EQ(SendMessageA(cell, CB_GETLBTEXT, 8191, reinterpret_cast<LPARAM>(text)), 4);
    EXPECT_STREQ(text, "8191");
}
