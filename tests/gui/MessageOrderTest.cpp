// The order of messages around dialog creation and destruction, sent against posted
// messages, the quit message, and putting a subclassed procedure back.
#include "GuiDriver.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace {

constexpr UINT testMessage = WM_APP + 7;
constexpr int mainTemplate = 101;
constexpr int auditionTemplate = 104;

struct Seen {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool operator==(const Seen&) const = default;
};

// One log for every recording procedure, so that the order across windows shows.
std::vector<Seen> seenLog;
std::map<HWND, WNDPROC> replacedProcs;

INT_PTR CALLBACK recordingDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    seenLog.push_back({hwnd, message, wParam, lParam});
    return FALSE;
}

LRESULT CALLBACK recordingSubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    seenLog.push_back({hwnd, message, wParam, lParam});
    return CallWindowProcA(replacedProcs.at(hwnd), hwnd, message, wParam, lParam);
}

class MessageOrder : public ::testing::Test {
protected:
    void SetUp() override { seenLog.clear(); }
    void TearDown() override
    {
        for (HWND dialog : opened)
            if (IsWindow(dialog))
                DestroyWindow(dialog);
        replacedProcs.clear();
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
        seenLog.clear();
    }
    // Template `id`, modeless and on the screen.
    HWND openDialog(int id)
    {
        const HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), nullptr,
                                               recordingDialogProc, 0);
        if (dialog != nullptr) {
            opened.push_back(dialog);
            ShowWindow(dialog, SW_SHOW);
            gui::processEvents();
        }
        return dialog;
    }
    static void recordingSubclass(HWND hwnd)
    {
        replacedProcs[hwnd] = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(hwnd, GWLP_WNDPROC));
        SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(recordingSubclassProc));
    }
    static std::vector<Seen> logged(std::initializer_list<UINT> messages)
    {
        std::vector<Seen> result;
        for (const Seen& seen : seenLog)
            for (UINT message : messages)
                if (seen.message == message)
                    result.push_back(seen);
        return result;
    }
    // The notification codes control `id` sent its parent, in order.
    static std::vector<WORD> codesFrom(HWND parent, int id)
    {
        std::vector<WORD> codes;
        for (const Seen& seen : logged({WM_COMMAND}))
            if (seen.hwnd == parent && LOWORD(seen.wParam) == id)
                codes.push_back(HIWORD(seen.wParam));
        return codes;
    }

    std::vector<HWND> opened;
};

} // namespace

TEST_F(MessageOrder, DialogCreationSendsSetFontThenInitDialogWithTheFirstTabStop)
{
    const HWND dialog = openDialog(mainTemplate);
    ASSERT_NE(dialog, nullptr);
    std::vector<UINT> order;
    for (const Seen& seen : logged({WM_SETFONT, WM_INITDIALOG}))
        if (seen.hwnd == dialog)
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
    seenLog.clear();
    SendMessageA(dialog, testMessage, 1, 2);
    EXPECT_EQ(logged({testMessage}), (std::vector<Seen>{{dialog, testMessage, 1, 2}}));

    seenLog.clear();
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
    seenLog.clear();
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
    seenLog.clear();
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
    seenLog.clear();
    gui::drainPostedMessages(); // the message posted to it goes nowhere
    EXPECT_TRUE(logged({testMessage}).empty());
}
