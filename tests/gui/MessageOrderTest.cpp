// The order of messages around dialog creation and destruction, sent against posted
// messages, the quit message, and putting a subclassed procedure back.
#include "GuiDriver.h"
#include "RecordingWindows.h"

#include <gtest/gtest.h>

#include <vector>

using namespace recording;

namespace {

constexpr UINT testMessage = WM_APP + 7;
constexpr int mainTemplate = 101;
constexpr int auditionTemplate = 104;

using MessageOrder = WindowTest;

} // namespace

TEST_F(MessageOrder, DialogCreationSendsSetFontThenInitDialogWithTheFirstTabStop)
{
    const HWND dialog = openDialog(mainTemplate);
    ASSERT_NE(dialog, nullptr);
    std::vector<UINT> order;
    for (const Seen& seen : loggedAt(dialog, {WM_SETFONT, WM_INITDIALOG}))
        order.push_back(seen.message);
    ASSERT_EQ(order, (std::vector<UINT>{WM_SETFONT, WM_INITDIALOG}));
    const Seen init = logged({WM_INITDIALOG})[0];
    EXPECT_EQ(reinterpret_cast<HWND>(init.wParam), GetDlgItem(dialog, 1000));
    EXPECT_EQ(init.lParam, 0);
    EXPECT_EQ(GetParent(GetDlgItem(dialog, 1000)), dialog);
    EXPECT_EQ(GetDlgCtrlID(GetDlgItem(dialog, 1000)), 1000);
    EXPECT_EQ(GetDlgItem(dialog, 4242), nullptr);
}

TEST_F(MessageOrder, SentMessagesRunAtOncePostedOnesWaitForTheLoop)
{
    const HWND dialog = openDialog(auditionTemplate);
    clearLog();
    SendMessageA(dialog, testMessage, 1, 2);
    EXPECT_EQ(logged({testMessage}), (std::vector<Seen>{{dialog, testMessage, 1, 2}}));

    clearLog();
    ASSERT_TRUE(PostMessageA(dialog, testMessage, 3, 4));
    ASSERT_TRUE(PostMessageA(nullptr, testMessage, 5, 6)); // a thread message
    EXPECT_TRUE(logged({testMessage}).empty());

    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, testMessage, testMessage, PM_NOREMOVE));
    EXPECT_EQ(msg.hwnd, dialog);
    ASSERT_EQ(GetMessageA(&msg, nullptr, testMessage, testMessage), TRUE);
    EXPECT_EQ(msg.wParam, 3u);
    EXPECT_EQ(msg.lParam, 4);
    DispatchMessageA(&msg);
    EXPECT_EQ(logged({testMessage}), (std::vector<Seen>{{dialog, testMessage, 3, 4}}));

    ASSERT_EQ(GetMessageA(&msg, nullptr, testMessage, testMessage), TRUE);
    EXPECT_EQ(msg.hwnd, nullptr);
    EXPECT_EQ(msg.wParam, 5u);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, testMessage, testMessage, PM_REMOVE));
    EXPECT_FALSE(PostMessageA(reinterpret_cast<HWND>(0x1234567), testMessage, 0, 0));
}

TEST_F(MessageOrder, QuitComesAfterTheMessagesPostedBeforeIt)
{
    PostMessageA(nullptr, testMessage, 1, 0);
    PostQuitMessage(3);
    PostMessageA(nullptr, testMessage, 2, 0);
    MSG msg;
    ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
    EXPECT_EQ(msg.wParam, 1u);
    ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
    EXPECT_EQ(msg.wParam, 2u);
    EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), FALSE);
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.wParam, 3u);
}

TEST_F(MessageOrder, AProcedurePutBackSkipsTheSubclass)
{
    const HWND dialog = openDialog(auditionTemplate);
    const HWND key = GetDlgItem(dialog, 9002);
    const LONG_PTR original = GetWindowLongPtrA(key, GWLP_WNDPROC);
    recordingSubclass(key);
    EXPECT_NE(GetWindowLongPtrA(key, GWLP_WNDPROC), original);
    SetWindowLongPtrA(key, GWLP_WNDPROC, original);
    clearLog();
    gui::click(key);
    EXPECT_TRUE(logged({WM_LBUTTONDOWN}).empty());
    EXPECT_EQ(codesFrom(dialog, 9002), (std::vector<WORD>{BN_SETFOCUS, BN_CLICKED}));
}

TEST_F(MessageOrder, DestroyWindowTellsTheParentFirstAndInvalidatesEveryHandle)
{
    const HWND dialog = openDialog(auditionTemplate);
    const HWND key = GetDlgItem(dialog, 9000);
    recordingSubclass(key);
    PostMessageA(dialog, testMessage, 0, 0);
    clearLog();
    ASSERT_TRUE(DestroyWindow(dialog));
    const std::vector<Seen> destroys = logged({WM_DESTROY, WM_NCDESTROY});
    ASSERT_GE(destroys.size(), 3u);
    EXPECT_EQ(destroys.front(), (Seen{dialog, WM_DESTROY, 0, 0}));
    EXPECT_EQ(destroys[1], (Seen{key, WM_DESTROY, 0, 0}));
    EXPECT_EQ(destroys.back(), (Seen{dialog, WM_NCDESTROY, 0, 0}));
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_FALSE(IsWindow(key));
    EXPECT_EQ(GetDlgItem(dialog, 9000), nullptr);
    EXPECT_EQ(SendMessageA(key, BM_GETCHECK, 0, 0), 0);
    EXPECT_FALSE(DestroyWindow(dialog));
    clearLog();
    gui::drainPostedMessages(); // the message posted to it goes nowhere
    EXPECT_TRUE(logged({testMessage}).empty());
}
