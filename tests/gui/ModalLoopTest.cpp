// DialogBoxParamA: its own loop, the owner disabled while it runs, EndDialog, the
// dialog manager's keys, posted messages and the quit message inside it.
#include "GuiDriver.h"
#include "RecordingWindows.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

using namespace recording;

namespace {

constexpr UINT testMessage = WM_APP + 3;
constexpr LPARAM modalParameter = 77;

// The dialog that received WM_INITDIALOG last, the one a modal loop just opened.
HWND lastInitialised()
{
    const auto init = logged({WM_INITDIALOG});
    return init.empty() ? nullptr : init.back().hwnd;
}

class ModalLoopTest : public WindowTest {
protected:
    // Runs `inside` once the modal loop waits, with a watchdog that ends the dialog so a
    // fault cannot hang the suite.
    INT_PTR runModal(int templateId, HWND owner, std::function<void(HWND dialog)> inside)
    {
        gui::Watchdog watchdog(5000, [] {
            if (const HWND dialog = lastInitialised(); IsWindow(dialog))
                EndDialog(dialog, -99);
        });
        gui::runSoon([inside] { inside(lastInitialised()); });
        const INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId), owner,
                                               recordingDialogProc, modalParameter);
        EXPECT_FALSE(watchdog.fired()) << "the modal loop did not end";
        return result;
    }
};

// Ends the dialog with `result` on its command `id`, and takes the command.
DialogReaction endOnCommand(int id, INT_PTR result)
{
    return [id, result](HWND hwnd, UINT message, WPARAM wParam, LPARAM) -> INT_PTR {
        if (message == WM_COMMAND && LOWORD(wParam) == id) {
            EndDialog(hwnd, result);
            return TRUE;
        }
        return FALSE;
    };
}

} // namespace

TEST_F(ModalLoopTest, RunsUntilEndDialogWithTheOwnerDisabledAndReturnsItsResult)
{
    const HWND owner = openDialog(101);
    bool ownerEnabledInside = true;
    bool visibleInside = false;
    HWND modal = nullptr;
    setDialogReaction(endOnCommand(IDOK, 42));
    const INT_PTR result = runModal(105, owner, [&](HWND dialog) {
        modal = dialog;
        ownerEnabledInside = IsWindowEnabled(owner);
        visibleInside = IsWindowVisible(dialog);
        EXPECT_EQ(GetWindowLongPtrA(dialog, GWLP_HWNDPARENT), reinterpret_cast<LONG_PTR>(owner));
        gui::click(GetDlgItem(dialog, IDOK));
    });
    EXPECT_EQ(result, 42);
    EXPECT_FALSE(ownerEnabledInside);
    EXPECT_TRUE(visibleInside);
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_FALSE(IsWindow(modal)) << "the dialog is destroyed when its loop ends";
    const auto init = logged({WM_INITDIALOG});
    ASSERT_EQ(init.size(), 2u);
    EXPECT_EQ(init[1].lParam, modalParameter);
    EXPECT_EQ(loggedAt(modal, {WM_DESTROY}).size(), 1u);
}

TEST_F(ModalLoopTest, EndDialogDuringInitDialogReturnsWithoutShowing)
{
    setDialogReaction([](HWND hwnd, UINT message, WPARAM, LPARAM) -> INT_PTR {
        if (message == WM_INITDIALOG)
            EndDialog(hwnd, 5);
        return FALSE;
    });
    const INT_PTR result =
        DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(104), nullptr, recordingDialogProc, 0);
    EXPECT_EQ(result, 5);
    for (const Seen& seen : logged({WM_SHOWWINDOW}))
        EXPECT_FALSE(seen.wParam) << "the dialog was shown";
    EXPECT_EQ(logged({WM_DESTROY}).size(), 1u);
}

TEST_F(ModalLoopTest, AMissingTemplateFails)
{
    EXPECT_EQ(DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(999), nullptr, recordingDialogProc, 0), -1);
    EXPECT_EQ(CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(999), nullptr, recordingDialogProc, 0),
              nullptr);
    EXPECT_TRUE(log().empty());
}

TEST_F(ModalLoopTest, EscapeIsCancelAndEnterIsTheDefaultButton)
{
    std::vector<WPARAM> commands;
    setDialogReaction([&commands](HWND hwnd, UINT message, WPARAM wParam, LPARAM) -> INT_PTR {
        if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
            commands.push_back(wParam);
            if (commands.size() == 3)
                EndDialog(hwnd, 1);
            return TRUE;
        }
        return FALSE;
    });
    runModal(105, nullptr, [](HWND dialog) {
        const HWND bar = GetDlgItem(dialog, 1018);
        gui::keyClick(bar, VK_ESCAPE);
        gui::keyClick(bar, VK_RETURN);
        // A push button that the dialog manager gives the focus is the default button
        // while it has it.
        gui::keyClick(GetDlgItem(dialog, IDOK), VK_TAB);
        gui::keyClick(GetFocus(), VK_RETURN);
    });
    EXPECT_EQ(commands, (std::vector<WPARAM>{MAKEWPARAM(IDCANCEL, BN_CLICKED), MAKEWPARAM(IDOK, BN_CLICKED),
                                             MAKEWPARAM(IDCANCEL, BN_CLICKED)}));
}

TEST_F(ModalLoopTest, AModelessDialogHasNoDialogKeys)
{
    // Nothing offers its messages to the dialog manager: Escape is no Cancel, and Tab
    // is a key for the control, which does nothing with it.
    const HWND dialog = openDialog(105);
    const HWND ok = GetDlgItem(dialog, IDOK);
    clearLog();
    gui::keyClick(ok, VK_ESCAPE);
    gui::keyClick(ok, VK_TAB);
    EXPECT_TRUE(logged({WM_COMMAND}).empty());
    EXPECT_EQ(GetFocus(), ok);
}

TEST_F(ModalLoopTest, TabMovesTheFocusInAModalDialog)
{
    HWND focusAfterTab = nullptr;
    HWND cancel = nullptr;
    runModal(105, nullptr, [&](HWND dialog) {
        cancel = GetDlgItem(dialog, IDCANCEL);
        gui::keyClick(GetDlgItem(dialog, IDOK), VK_TAB);
        focusAfterTab = GetFocus();
        EndDialog(dialog, 0);
    });
    EXPECT_EQ(focusAfterTab, cancel) << "the next control with WS_TABSTOP";
}

TEST_F(ModalLoopTest, PostedMessagesAreDispatchedInsideTheLoop)
{
    const HWND owner = openDialog(101);
    std::vector<HWND> receivers;
    setDialogReaction([&receivers](HWND hwnd, UINT message, WPARAM, LPARAM) -> INT_PTR {
        if (message == testMessage) {
            receivers.push_back(hwnd);
            // The second one arrives at the modal dialog, which ends.
            if (receivers.size() == 2)
                EndDialog(hwnd, 3);
        }
        return FALSE;
    });
    HWND modal = nullptr;
    const INT_PTR result = runModal(104, owner, [&](HWND dialog) {
        modal = dialog;
        PostMessageA(owner, testMessage, 0, 0);
        PostMessageA(dialog, testMessage, 0, 0);
    });
    EXPECT_EQ(result, 3);
    EXPECT_EQ(receivers, (std::vector<HWND>{owner, modal}));
}

TEST_F(ModalLoopTest, TheQuitMessageEndsTheLoopAndIsPostedAgain)
{
    // What DialogBoxParamA returns then is not the dialog's to say; the loop ends
    // (runModal's watchdog did not have to end it) and leaves the quit message.
    runModal(104, nullptr, [](HWND) { PostQuitMessage(8); });
    MSG msg;
    ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), FALSE);
    EXPECT_EQ(msg.wParam, 8u);
}

TEST_F(ModalLoopTest, CloseBoxOfAModalDialogIsItsCancelButton)
{
    setDialogReaction(endOnCommand(IDCANCEL, IDCANCEL));
    const INT_PTR result = runModal(105, nullptr, [](HWND dialog) { gui::clickCloseBox(dialog); });
    EXPECT_EQ(result, IDCANCEL);
    const auto order = logged({WM_SYSCOMMAND, WM_CLOSE, WM_COMMAND});
    ASSERT_GE(order.size(), 3u);
    EXPECT_EQ(order[0].message, static_cast<UINT>(WM_SYSCOMMAND));
    EXPECT_EQ(order[0].wParam & 0xFFF0, static_cast<WPARAM>(SC_CLOSE));
    EXPECT_EQ(order[1].message, static_cast<UINT>(WM_CLOSE));
    EXPECT_EQ(order.back().wParam, MAKEWPARAM(IDCANCEL, BN_CLICKED));
}

TEST_F(ModalLoopTest, NestedModalDialogsEnableTheirOwnersInTurn)
{
    const HWND owner = openDialog(101);
    HWND outer = nullptr;
    bool outerEnabledInside = true;
    bool outerEnabledAfterInner = false;
    setDialogReaction([&](HWND hwnd, UINT message, WPARAM wParam, LPARAM) -> INT_PTR {
        if (message == WM_COMMAND && LOWORD(wParam) == 9000 && HIWORD(wParam) == BN_CLICKED) {
            // The first key of the outer dialog opens another modal dialog over it.
            gui::runSoon([&] {
                outerEnabledInside = IsWindowEnabled(outer);
                EndDialog(lastInitialised(), 0);
            });
            DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(105), hwnd, recordingDialogProc, 0);
            outerEnabledAfterInner = IsWindowEnabled(hwnd);
            EndDialog(hwnd, 11);
            return TRUE;
        }
        return FALSE;
    });
    const INT_PTR result = runModal(104, owner, [&](HWND dialog) {
        outer = dialog;
        gui::click(GetDlgItem(dialog, 9000));
    });
    EXPECT_EQ(result, 11);
    EXPECT_FALSE(outerEnabledInside);
    EXPECT_TRUE(outerEnabledAfterInner);
    EXPECT_TRUE(IsWindowEnabled(owner));
}
