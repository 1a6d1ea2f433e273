// Window slots, subclassing, button notifications and the messages around enabling,
// showing, sizing, closing, menus and timers.
#include "GuiDriver.h"
#include "RecordingWindows.h"

#include <gtest/gtest.h>

#include <vector>

using namespace recording;

namespace {

using WindowMessages = WindowTest;

// A click as the user makes it, with the mouse, on whatever is there.
void clickMiddle(HWND hwnd)
{
    RECT client;
    GetClientRect(hwnd, &client);
    gui::clickAt(hwnd, client.right / 2, client.bottom / 2);
}

} // namespace

TEST_F(WindowMessages, WindowSlotsHoldWhatIsStored)
{
    const HWND dialog = openDialog(104);
    const HWND key = GetDlgItem(dialog, 9000);
    EXPECT_EQ(GetWindowLongPtrA(key, GWLP_USERDATA), 0);
    int wrapper = 0;
    EXPECT_EQ(SetWindowLongPtrA(key, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&wrapper)), 0);
    EXPECT_EQ(GetWindowLongPtrA(key, GWLP_USERDATA), reinterpret_cast<LONG_PTR>(&wrapper));
    EXPECT_EQ(GetWindowLongPtrA(key, GWLP_ID), 9000);
    EXPECT_EQ(GetWindowLongPtrA(key, GWLP_HWNDPARENT), reinterpret_cast<LONG_PTR>(dialog));
    const LONG style = GetWindowLongA(key, GWL_STYLE);
    EXPECT_TRUE(style & WS_CHILD);
    EXPECT_TRUE(style & WS_VISIBLE);
    EXPECT_TRUE(style & BS_NOTIFY);
    EXPECT_FALSE(GetWindowLongA(GetDlgItem(openDialog(101), 1052), GWL_STYLE) & WS_VISIBLE);
}

TEST_F(WindowMessages, ButtonClickReachesTheParentWhileTheButtonHandlesTheRelease)
{
    const HWND dialog = openDialog(104);
    const HWND key = GetDlgItem(dialog, 9009);
    recordingSubclass(key);
    clearLog();
    gui::click(key);

    std::vector<Seen> seen;
    for (const Seen& s : logged({WM_LBUTTONDOWN, WM_LBUTTONUP, WM_COMMAND}))
        if (s.message != WM_COMMAND || HIWORD(s.wParam) == BN_CLICKED)
            seen.push_back(s);
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0], (Seen{key, WM_LBUTTONDOWN, MK_LBUTTON, seen[0].lParam}));
    EXPECT_EQ(seen[1].message, static_cast<UINT>(WM_LBUTTONUP));
    EXPECT_EQ(seen[1].wParam, 0u);
    EXPECT_EQ(seen[2], (Seen{dialog, WM_COMMAND, MAKEWPARAM(9009, BN_CLICKED), reinterpret_cast<LPARAM>(key)}));
    // A notifying button also tells of the focus it takes.
    EXPECT_EQ(codesFrom(dialog, 9009), (std::vector<WORD>{BN_SETFOCUS, BN_CLICKED}));
}

TEST_F(WindowMessages, ASubclassThatDoesNotPassAMessageOnSwallowsIt)
{
    const HWND dialog = openDialog(104);
    const HWND key = GetDlgItem(dialog, 9000);
    subclass(key, [](WNDPROC previous, HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == WM_LBUTTONDOWN || m == WM_LBUTTONUP)
            return 0;
        return CallWindowProcA(previous, h, m, w, l);
    });
    clearLog();
    gui::mousePress(key, 5, 5);
    EXPECT_EQ(SendMessageA(key, BM_GETSTATE, 0, 0) & BST_PUSHED, 0);
    gui::mouseRelease(key, 5, 5);
    EXPECT_TRUE(codesFrom(dialog, 9000).empty());

    // Its neighbour, not subclassed, still clicks.
    gui::click(GetDlgItem(dialog, 9001));
    EXPECT_EQ(codesFrom(dialog, 9001), (std::vector<WORD>{BN_SETFOCUS, BN_CLICKED}));
}

TEST_F(WindowMessages, PostedPressCodesArriveAroundTheSentClick)
{
    // A key button that posts BN_PUSHED on press and BN_UNPUSHED on release and then
    // lets the button work: the parent sees the click before the posted release code.
    const HWND dialog = openDialog(104);
    const HWND key = GetDlgItem(dialog, 9004);
    bool capturedWhilePressed = false;
    subclass(key, [&capturedWhilePressed](WNDPROC previous, HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == WM_LBUTTONDOWN || m == WM_LBUTTONUP) {
            const WORD code = m == WM_LBUTTONDOWN ? BN_PUSHED : BN_UNPUSHED;
            PostMessageA(GetParent(h), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(h), code), reinterpret_cast<LPARAM>(h));
        }
        const LRESULT result = CallWindowProcA(previous, h, m, w, l);
        if (m == WM_LBUTTONDOWN)
            capturedWhilePressed = GetCapture() == h;
        return result;
    });
    clearLog();
    gui::mousePress(key, 5, 5);
    gui::drainPostedMessages();
    gui::mouseRelease(key, 5, 5);
    gui::drainPostedMessages();
    EXPECT_TRUE(capturedWhilePressed) << "a pressed button takes the mouse";
    EXPECT_EQ(GetCapture(), nullptr);

    std::vector<WORD> codes;
    for (WORD code : codesFrom(dialog, 9004))
        if (code != BN_SETFOCUS)
            codes.push_back(code);
    EXPECT_EQ(codes, (std::vector<WORD>{BN_PUSHED, BN_CLICKED, BN_UNPUSHED}));
}

TEST_F(WindowMessages, AutoCheckBoxChecksItselfAndNotifiesButProgramChecksAreSilent)
{
    const HWND dialog = openDialog(104);
    const HWND box = GetDlgItem(dialog, 1060);
    EXPECT_EQ(SendMessageA(box, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    clearLog();
    RECT client;
    GetClientRect(box, &client);
    gui::mousePress(box, 5, client.bottom / 2);
    gui::mouseRelease(box, 5, client.bottom / 2);
    EXPECT_EQ(IsDlgButtonChecked(dialog, 1060), static_cast<UINT>(BST_CHECKED));
    // Without BS_NOTIFY the box reports the click only.
    EXPECT_EQ(codesFrom(dialog, 1060), (std::vector<WORD>{BN_CLICKED}));

    clearLog();
    CheckDlgButton(dialog, 1060, BST_UNCHECKED);
    EXPECT_EQ(IsDlgButtonChecked(dialog, 1060), static_cast<UINT>(BST_UNCHECKED));
    EXPECT_TRUE(logged({WM_COMMAND}).empty());
}

TEST_F(WindowMessages, DisabledWindowsTakeNoClicksAndEnableWindowReportsThePreviousState)
{
    const HWND dialog = openDialog(104);
    const HWND key = GetDlgItem(dialog, 9007);
    clearLog();
    EXPECT_FALSE(EnableWindow(key, FALSE)); // was enabled
    EXPECT_TRUE(EnableWindow(key, FALSE));  // was disabled
    EXPECT_FALSE(IsWindowEnabled(key));
    EXPECT_TRUE(logged({WM_ENABLE}).empty()) << "the button's own procedure is not recorded";
    clickMiddle(key);
    EXPECT_TRUE(codesFrom(dialog, 9007).empty());
    EnableWindow(key, TRUE);
    clickMiddle(key);
    EXPECT_EQ(codesFrom(dialog, 9007).back(), BN_CLICKED);
    // Disabling the dialog leaves its controls enabled, and takes their input away.
    EnableWindow(dialog, FALSE);
    EXPECT_FALSE(IsWindowEnabled(dialog));
    EXPECT_TRUE(IsWindowEnabled(key));
    EXPECT_EQ(loggedAt(dialog, {WM_ENABLE}).size(), 1u);
    clearLog();
    clickMiddle(key);
    EXPECT_TRUE(codesFrom(dialog, 9007).empty()) << "a disabled window took input";
}

TEST_F(WindowMessages, TheCloseBoxAsksTheDialogWhichPostsItsCancelButton)
{
    const HWND dialog = openDialog(104);
    clearLog();
    gui::clickCloseBox(dialog);
    gui::drainPostedMessages();
    const auto seen = loggedAt(dialog, {WM_SYSCOMMAND, WM_CLOSE, WM_COMMAND});
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].message, static_cast<UINT>(WM_SYSCOMMAND));
    EXPECT_EQ(seen[0].wParam & 0xFFF0, static_cast<WPARAM>(SC_CLOSE));
    EXPECT_EQ(seen[1].message, static_cast<UINT>(WM_CLOSE));
    EXPECT_EQ(seen[2].wParam, MAKEWPARAM(IDCANCEL, BN_CLICKED));
    EXPECT_TRUE(IsWindow(dialog)) << "the dialog manager closes nothing by itself";

    // A plain control's default procedure destroys the window on WM_CLOSE.
    const HWND key = GetDlgItem(dialog, 9000);
    DefWindowProcA(key, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(key));
}

TEST_F(WindowMessages, WindowTextKeepsWholeUtf8Characters)
{
    const HWND dialog = openDialog(101);
    char text[64];
    EXPECT_EQ(GetWindowTextA(dialog, text, sizeof text), 14);
    EXPECT_STREQ(text, "ZBK-EDIT v0.18");
    SetWindowTextA(GetDlgItem(dialog, 1019), "12345");
    EXPECT_EQ(GetDlgItemTextA(dialog, 1019, text, sizeof text), 5u);
    EXPECT_STREQ(text, "12345");
    // "音色" is 6 bytes; a buffer too small for the second keeps the first whole.
    SetDlgItemTextA(dialog, 1020, "音色");
    EXPECT_EQ(GetWindowTextLengthA(GetDlgItem(dialog, 1020)), 6);
    char small[5];
    EXPECT_EQ(GetDlgItemTextA(dialog, 1020, small, sizeof small), 3u);
    EXPECT_STREQ(small, "音");
}

TEST_F(WindowMessages, ShowAndSizeSendTheirMessages)
{
    const HWND dialog = openDialog(104);
    const HWND key = GetDlgItem(dialog, 9003);
    recordingSubclass(key);
    clearLog();
    EXPECT_TRUE(ShowWindow(key, SW_HIDE));
    EXPECT_FALSE(IsWindowVisible(key));
    EXPECT_FALSE(ShowWindow(key, SW_SHOW));
    EXPECT_TRUE(IsWindowVisible(key));
    EXPECT_EQ(loggedAt(key, {WM_SHOWWINDOW}).size(), 2u);

    SetWindowPos(key, nullptr, 0, 0, 33, 44, SWP_NOMOVE | SWP_NOZORDER);
    const auto sizes = loggedAt(key, {WM_SIZE});
    ASSERT_EQ(sizes.size(), 1u);
    EXPECT_EQ(sizes[0].lParam, MAKELPARAM(33, 44));
    RECT client;
    GetClientRect(key, &client);
    EXPECT_EQ(client.right, 33);
    EXPECT_EQ(client.bottom, 44);
    RECT after;
    SetWindowPos(key, nullptr, 5, 6, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    GetWindowRect(key, &after);
    POINT origin{0, 0};
    ClientToScreen(dialog, &origin);
    EXPECT_EQ(after.left - origin.x, 5);
    EXPECT_EQ(after.top - origin.y, 6);
    EXPECT_EQ(after.right - after.left, 33);
    EXPECT_EQ(loggedAt(key, {WM_SIZE}).size(), 1u) << "a move is no resize";
}

TEST_F(WindowMessages, AMenuItemChosenArrivesAsACommandFromTheMenu)
{
    const HWND dialog = openDialog(101);
    ASSERT_NE(GetMenu(dialog), nullptr);
    EXPECT_EQ(GetMenu(openDialog(104)), nullptr);
    clearLog();
    ASSERT_TRUE(gui::chooseMenuItem(dialog, 40002));
    gui::drainPostedMessages();
    const auto commands = loggedAt(dialog, {WM_COMMAND});
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0], (Seen{dialog, WM_COMMAND, MAKEWPARAM(40002, 0), 0}));
}

TEST_F(WindowMessages, TimersTickUntilKilled)
{
    const HWND dialog = openDialog(104);
    ASSERT_EQ(SetTimer(dialog, 5, 10, nullptr), 5u);
    clearLog();
    EXPECT_TRUE(gui::waitFor([] { return logged({WM_TIMER}).size() >= 2; }, 2000));
    EXPECT_EQ(logged({WM_TIMER}).front().wParam, 5u);
    EXPECT_TRUE(KillTimer(dialog, 5));
    EXPECT_FALSE(KillTimer(dialog, 5));
    gui::processEvents();
    clearLog();
    gui::pause(60);
    EXPECT_TRUE(logged({WM_TIMER}).empty());
}
