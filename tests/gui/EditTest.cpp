// Edits as the user types into them: notifications, Japanese text, and what the
// program may put into a digits-only field.
#include "GuiDriver.h"
#include "RecordingWindows.h"

#include <gtest/gtest.h>

#include <vector>

using namespace recording;

namespace {

using EditTest = WindowTest;

} // namespace

TEST_F(EditTest, TypingReportsFocusUpdateAndChange)
{
    const HWND dialog = openDialog(101);
    const HWND field = GetDlgItem(dialog, 1033);
    clearLog();
    gui::keyClick(field, '7');
    SetFocus(GetDlgItem(dialog, 1028));
    EXPECT_EQ(codesFrom(dialog, 1033), (std::vector<WORD>{EN_SETFOCUS, EN_UPDATE, EN_CHANGE, EN_KILLFOCUS}));
    EXPECT_EQ(GetDlgItemInt(dialog, 1033, nullptr, FALSE), 7u);
}

TEST_F(EditTest, JapaneseTypedIntoAnEditReadsBackAsUtf8)
{
    const HWND dialog = openDialog(101);
    const HWND field = GetDlgItem(dialog, 1027);
    gui::typeText(field, "音色");
    char text[16];
    EXPECT_EQ(GetWindowTextA(field, text, sizeof text), 6);
    EXPECT_STREQ(text, "音色");
    BOOL translated = TRUE;
    EXPECT_EQ(GetDlgItemInt(dialog, 1027, &translated, FALSE), 0u);
    EXPECT_FALSE(translated);
}

TEST_F(EditTest, TheProgramMayPutASignIntoADigitsOnlyField)
{
    const HWND dialog = openDialog(101);
    ASSERT_TRUE(GetWindowLongA(GetDlgItem(dialog, 1002), GWL_STYLE) & ES_NUMBER);
    SetDlgItemInt(dialog, 1002, static_cast<UINT>(-1), TRUE);
    char text[16];
    GetDlgItemTextA(dialog, 1002, text, sizeof text);
    EXPECT_STREQ(text, "-1");
}

TEST_F(EditTest, TypingIsTheCharacterMessageThatFollowsTheKey)
{
    const HWND dialog = openDialog(101);
    const HWND field = GetDlgItem(dialog, 1003);
    recordingSubclass(field);
    clearLog();
    gui::keyClick(field, 'A');
    const auto seen = loggedAt(field, {WM_KEYDOWN, WM_CHAR, WM_KEYUP});
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].message, static_cast<UINT>(WM_KEYDOWN));
    EXPECT_EQ(seen[1], (Seen{field, WM_CHAR, 'a', seen[0].lParam}));
    EXPECT_EQ(seen[2].message, static_cast<UINT>(WM_KEYUP));

    // A subclass that takes the key-downs leaves the typing; one that takes the
    // characters takes it away.
    subclass(field, [](WNDPROC previous, HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        return m == WM_KEYDOWN ? 0 : CallWindowProcA(previous, h, m, w, l);
    });
    gui::keyClick(field, 'B');
    subclass(field, [](WNDPROC previous, HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        return m == WM_CHAR ? 0 : CallWindowProcA(previous, h, m, w, l);
    });
    gui::keyClick(field, 'C');
    char text[8];
    GetWindowTextA(field, text, sizeof text);
    EXPECT_STREQ(text, "ab");
}

TEST_F(EditTest, ACharacterSentByTheProgramIsTyped)
{
    const HWND dialog = openDialog(101);
    const HWND field = GetDlgItem(dialog, 1003);
    const HWND digitsOnly = GetDlgItem(dialog, 1002);
    SendMessageA(field, WM_CHAR, 'x', 1);
    // A key-down alone types nothing.
    SendMessageA(field, WM_KEYDOWN, 'Y', 1);
    SendMessageA(digitsOnly, WM_CHAR, '7', 1);
    SendMessageA(digitsOnly, WM_CHAR, 'z', 1);
    char text[8];
    GetWindowTextA(field, text, sizeof text);
    EXPECT_STREQ(text, "x");
    GetWindowTextA(digitsOnly, text, sizeof text);
    EXPECT_STREQ(text, "7");
}
