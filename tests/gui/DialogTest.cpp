#include "GuiDriver.h"
#include "RecordingDialog.h"

#include <gtest/gtest.h>

namespace {

constexpr int mainTemplate = 101;
constexpr int auditionTemplate = 104;
constexpr int fineTuneTemplate = 105;

// A point of template 101's client area with no control on it (the controls end at a
// little under half its height).
POINT emptySpot(HWND dialog)
{
    RECT client;
    GetClientRect(dialog, &client);
    return {client.right / 2, client.bottom * 9 / 10};
}

// Ends a modal dialog that a fault left open.
std::function<void()> endDialog(const Dialog& dialog)
{
    return [&dialog] {
        if (dialog.hwnd != nullptr)
            EndDialog(dialog.hwnd, 0);
    };
}

// Destroys a modeless dialog at the end of a test, as its owner would.
template <class D> struct Closer {
    D& dialog;
    ~Closer()
    {
        if (dialog.hwnd != nullptr)
            DestroyWindow(dialog.hwnd);
    }
};

} // namespace

TEST(Dialog, WindowIsBoundAtInitDialogAndNothingReachesTheObjectBefore)
{
    RecordingDialog<ModelessDialog> dialog;
    EXPECT_EQ(dialog.hwnd, nullptr);
    EXPECT_EQ(dialog.parent, nullptr);
    EXPECT_EQ(dialog.templateId, 0);
    dialog.initResult = 1; // ignored: the procedure answers WM_INITDIALOG with 0

    // Only the low 16 bits name the template.
    EXPECT_TRUE(dialog.open(nullptr, 0x10000 + fineTuneTemplate));
    Closer<decltype(dialog)> closer{dialog};
    ASSERT_NE(dialog.hwnd, nullptr);
    EXPECT_EQ(dialog.templateId, 0x10000 + fineTuneTemplate);
    ASSERT_FALSE(dialog.calls.empty());
    EXPECT_EQ(dialog.calls.front().what, "init");
    // The system sends WM_SETFONT before WM_INITDIALOG; it reaches no object.
    EXPECT_EQ(dialog.messagesBeforeInit, 0u);
    EXPECT_EQ(GetWindowLongPtrA(dialog.hwnd, GWLP_USERDATA), reinterpret_cast<LONG_PTR>(&dialog));
    EXPECT_EQ(dialog.selfControl.hwnd, dialog.hwnd);
    EXPECT_EQ(dialog.selfControl.savedProc, nullptr);
    EXPECT_EQ(Dialog::pendingDialog, &dialog); // never cleared

    // A window that has not reached WM_INITDIALOG finds no object, even with a dialog pending.
    const LONG_PTR saved = SetWindowLongPtrA(dialog.hwnd, GWLP_USERDATA, 0);
    dialog.calls.clear();
    EXPECT_EQ(Dialog::dialogProc(dialog.hwnd, WM_COMMAND, IDOK, 0), 0);
    EXPECT_EQ(Dialog::dialogProc(dialog.hwnd, WM_CLOSE, 0, 0), 0);
    EXPECT_TRUE(dialog.calls.empty());
    EXPECT_TRUE(IsWindow(dialog.hwnd));
    SetWindowLongPtrA(dialog.hwnd, GWLP_USERDATA, saved);

    // WM_INITDIALOG is answered with 0 whatever onInitDialog returns, and binds the pending dialog.
    RecordingDialog<ModelessDialog> other;
    other.initResult = 1;
    Dialog::pendingDialog = &other;
    EXPECT_EQ(Dialog::dialogProc(dialog.hwnd, WM_INITDIALOG, 0, 0), 0);
    EXPECT_EQ(other.hwnd, dialog.hwnd);
    EXPECT_EQ(other.calls, std::vector<Call>{{"init"}});
    EXPECT_EQ(GetWindowLongPtrA(dialog.hwnd, GWLP_USERDATA), reinterpret_cast<LONG_PTR>(&other));
    SetWindowLongPtrA(dialog.hwnd, GWLP_USERDATA, saved);
    other.hwnd = nullptr;
}

TEST(Dialog, ModalOkEndsTheDialogButCancelAndEscapeDoNot)
{
    RecordingDialog<ModalDialog> dialog;
    gui::Watchdog watchdog(5000, endDialog(dialog));
    HWND window = nullptr;
    HWND cancel = nullptr;
    bool openAfterCancel = false;
    gui::runSoon([&] {
        window = dialog.hwnd;
        cancel = GetDlgItem(window, IDCANCEL);
        gui::keyClick(window, VK_ESCAPE);
        gui::click(cancel);
        openAfterCancel = IsWindow(window) && IsWindowVisible(window) && dialog.hwnd == window;
        gui::click(GetDlgItem(window, IDOK));
    });
    EXPECT_TRUE(dialog.open(nullptr, fineTuneTemplate));
    EXPECT_FALSE(watchdog.fired());
    EXPECT_TRUE(openAfterCancel);
    EXPECT_FALSE(IsWindow(window)); // gone by the time open returns
    EXPECT_EQ(dialog.hwnd, nullptr);

    const auto commands = dialog.only("command");
    ASSERT_EQ(commands.size(), 3u);
    EXPECT_EQ(commands[0].b, IDCANCEL); // Escape
    EXPECT_EQ(commands[1].a, BN_CLICKED);
    EXPECT_EQ(commands[1].b, IDCANCEL);
    EXPECT_EQ(commands[1].c, reinterpret_cast<long long>(cancel));
    EXPECT_EQ(commands[2].a, BN_CLICKED);
    EXPECT_EQ(commands[2].b, IDOK);
    EXPECT_EQ(dialog.only("close").size(), 1u);
}

TEST(Dialog, ModalOpenReturnsTrueWhenTheCloseBoxEndsIt)
{
    RecordingDialog<ModalDialog> dialog;
    gui::Watchdog watchdog(5000, endDialog(dialog));
    gui::runSoon([&] { gui::clickCloseBox(dialog.hwnd); });
    EXPECT_TRUE(dialog.open(nullptr, auditionTemplate));
    EXPECT_FALSE(watchdog.fired());
    EXPECT_EQ(dialog.only("close").size(), 1u);
    EXPECT_EQ(dialog.hwnd, nullptr);
}

TEST(Dialog, ModalDialogIsOwnedAndItsOwnerDisabledWhileItRuns)
{
    RecordingDialog<ModelessDialog> owner;
    ASSERT_TRUE(owner.open(nullptr, mainTemplate));
    Closer<decltype(owner)> closer{owner};
    RecordingDialog<ModalDialog> dialog;
    gui::Watchdog watchdog(5000, endDialog(dialog));
    bool ownerEnabled = true;
    HWND ownerOfDialog = nullptr;
    gui::runSoon([&] {
        ownerEnabled = IsWindowEnabled(owner.hwnd);
        ownerOfDialog = GetParent(dialog.hwnd);
        SendMessageA(dialog.hwnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    EXPECT_TRUE(dialog.open(&owner, fineTuneTemplate));
    EXPECT_FALSE(watchdog.fired());
    EXPECT_EQ(dialog.parent, &owner);
    EXPECT_EQ(ownerOfDialog, owner.hwnd);
    EXPECT_FALSE(ownerEnabled);
    EXPECT_TRUE(IsWindowEnabled(owner.hwnd));
}

TEST(Dialog, ModelessOkDestroysTheWindowButCancelDoesNot)
{
    RecordingDialog<ModelessDialog> dialog;
    ASSERT_TRUE(dialog.open(nullptr, fineTuneTemplate));
    Closer<decltype(dialog)> closer{dialog};
    HWND window = dialog.hwnd;
    ASSERT_NE(window, nullptr);

    gui::click(GetDlgItem(window, IDCANCEL));
    EXPECT_EQ(SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0), 0);
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(dialog.hwnd, window);

    gui::click(GetDlgItem(window, IDOK));
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(dialog.hwnd, nullptr);
    const std::vector<Call> ending{{"close"}, {"destroy"}};
    ASSERT_GE(dialog.calls.size(), 2u);
    EXPECT_EQ(std::vector<Call>(dialog.calls.end() - 2, dialog.calls.end()), ending);
}

TEST(Dialog, MousePositionsLeftOfAndAboveTheClientAreaAreNegative)
{
    RecordingDialog<ModelessDialog> dialog;
    ASSERT_TRUE(dialog.open(nullptr, mainTemplate));
    Closer<decltype(dialog)> closer{dialog};
    dialog.recordMoves = true;
    const POINT spot = emptySpot(dialog.hwnd);
    RECT client;
    GetClientRect(dialog.hwnd, &client);

    dialog.calls.clear();
    gui::mousePress(dialog.hwnd, spot.x, spot.y);
    gui::mouseMove(dialog.hwnd, -5, -7);
    gui::mouseRelease(dialog.hwnd, -3, -40);
    gui::mousePress(dialog.hwnd, spot.x, spot.y, true);
    gui::mouseMove(dialog.hwnd, client.right + 12, -1);
    gui::mouseRelease(dialog.hwnd, -300, client.bottom + 3, true);

    const std::vector<Call> expected{
        {"lbuttondown", MK_LBUTTON, spot.x, spot.y},
        {"mousemove", MK_LBUTTON, -5, -7},
        {"lbuttonup", 0, -3, -40},
        {"rbuttondown", MK_RBUTTON, spot.x, spot.y},
        {"mousemove", MK_RBUTTON, client.right + 12, -1},
        {"rbuttonup", 0, -300, client.bottom + 3},
    };
    EXPECT_EQ(dialog.calls, expected);
}

TEST(Dialog, PaintingIsTheSystemsForDialogsAndHandledByAPlainWindow)
{
    RecordingDialog<ModelessDialog> dialog;
    ASSERT_TRUE(dialog.open(nullptr, fineTuneTemplate));
    Closer<decltype(dialog)> closer{dialog};
    dialog.show(); // a modeless dialog without WS_VISIBLE starts hidden
    gui::processEvents();

    // The dialog kinds leave WM_PAINT to the system.
    const int before = dialog.paints;
    EXPECT_EQ(Dialog::dialogProc(dialog.hwnd, WM_PAINT, 0, 0), 0);
    EXPECT_EQ(dialog.paints, before + 1);
    EXPECT_NE(dialog.invalidate(), 0);
    gui::processEvents();
    EXPECT_GT(dialog.paints, before + 1);
    const POINT spot{4, 4};
    EXPECT_EQ(gui::shownPixel(dialog.hwnd, spot.x, spot.y), GetSysColor(COLOR_BTNFACE));

    // A plain Window paints nothing itself, yet reports the message handled.
    Window plain;
    plain.hwnd = dialog.hwnd;
    EXPECT_EQ(plain.handleMessage(WM_PAINT, 0, 0), 1);
    EXPECT_EQ(plain.onPaint(), 1);
}

TEST(Dialog, ShowMakesAHiddenDialogVisible)
{
    RecordingDialog<ModelessDialog> dialog;
    ASSERT_TRUE(dialog.open(nullptr, fineTuneTemplate));
    Closer<decltype(dialog)> closer{dialog};
    ShowWindow(dialog.hwnd, SW_HIDE);
    ASSERT_FALSE(IsWindowVisible(dialog.hwnd));
    EXPECT_EQ(dialog.show(), 1);
    EXPECT_TRUE(IsWindowVisible(dialog.hwnd));
}
