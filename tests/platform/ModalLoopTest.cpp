// DialogBoxParamA: its own loop, the owner disabled while it runs, EndDialog, the
// dialog manager's keys, posted messages and the quit message inside it.
#include "TestWindows.h"

using namespace windowtest;

namespace {

class ModalLoopTest : public WindowTest {
protected:
  // Runs `inside` once the modal loop waits, with a watchdog that ends the dialog so a
  // fault cannot hang the suite.
  INT_PTR runModal(int templateId, HWND owner, std::function<void(HWND dialog)> inside)
  {
    watchdogFired_ = false;
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [this] {
      watchdogFired_ = true;
      if (QWidget* modal = QApplication::activeModalWidget()) {
        if (win32qt::Window* window = win32qt::enclosingWindow(modal->findChild<QWidget*>())) {
          EndDialog(window->handle, -99);
        }
      }
    });
    watchdog.start(3000);
    QTimer::singleShot(0, [inside] {
      for (win32qt::Window* window : win32qt::liveWindows()) {
        if (window->kind == win32qt::WindowKind::Dialog && window->modal) {
          inside(window->handle);
          return;
        }
      }
    });
    const INT_PTR result =
      DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId), owner, recordingDialogProc, 77);
    EXPECT_FALSE(watchdogFired_) << "the modal loop did not end";
    return result;
  }

  bool watchdogFired_ = false;
};

constexpr UINT testMessage = WM_APP + 3;

} // namespace

TEST_F(ModalLoopTest, RunsUntilEndDialogWithTheOwnerDisabledAndReturnsItsResult)
{
  const HWND owner = openDialog(101);
  bool ownerEnabledInside = true;
  bool visibleInside = false;
  HWND modal = nullptr;
  setDialogReaction([](HWND hwnd, UINT message, WPARAM wParam, LPARAM) -> INT_PTR {
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
      EndDialog(hwnd, 42);
      return TRUE;
    }
    return FALSE;
  });
  const INT_PTR result = runModal(105, owner, [&](HWND dialog) {
    modal = dialog;
    ownerEnabledInside = IsWindowEnabled(owner);
    visibleInside = IsWindowVisible(dialog);
    EXPECT_EQ(GetParent(dialog), owner);
    QTest::mouseClick(widgetOf(GetDlgItem(dialog, IDOK)), Qt::LeftButton);
  });
  EXPECT_EQ(result, 42);
  EXPECT_FALSE(ownerEnabledInside);
  EXPECT_TRUE(visibleInside);
  EXPECT_TRUE(IsWindowEnabled(owner));
  EXPECT_FALSE(IsWindow(modal)) << "the dialog is destroyed when its loop ends";
  const auto init = logged({WM_INITDIALOG});
  ASSERT_EQ(init.size(), 2u);
  EXPECT_EQ(init[1].lParam, 77);
  const auto destroys = logged({WM_DESTROY});
  ASSERT_EQ(destroys.size(), 1u);
  EXPECT_EQ(destroys[0].hwnd, modal);
}

TEST_F(ModalLoopTest, EndDialogDuringInitDialogReturnsWithoutShowing)
{
  setDialogReaction([](HWND hwnd, UINT message, WPARAM, LPARAM) -> INT_PTR {
    if (message == WM_INITDIALOG) {
      EndDialog(hwnd, 5);
    }
    return FALSE;
  });
  const INT_PTR result =
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(104), nullptr, recordingDialogProc, 0);
  EXPECT_EQ(result, 5);
  EXPECT_TRUE(logged({WM_SHOWWINDOW}).empty());
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
      if (commands.size() == 3) {
        EndDialog(hwnd, 1);
      }
      return TRUE;
    }
    return FALSE;
  });
  runModal(105, nullptr, [](HWND dialog) {
    const HWND cancel = GetDlgItem(dialog, IDCANCEL);
    SetFocus(GetDlgItem(dialog, 1018));
    QTest::keyClick(widgetOf(GetDlgItem(dialog, 1018)), Qt::Key_Escape);
    QTest::keyClick(widgetOf(GetDlgItem(dialog, 1018)), Qt::Key_Return);
    // A push button with the focus is the default button while it has it.
    SetFocus(cancel);
    QTest::keyClick(widgetOf(cancel), Qt::Key_Return);
  });
  EXPECT_EQ(commands, (std::vector<WPARAM>{MAKEWPARAM(IDCANCEL, BN_CLICKED), MAKEWPARAM(IDOK, BN_CLICKED),
                                           MAKEWPARAM(IDCANCEL, BN_CLICKED)}));
}

TEST_F(ModalLoopTest, AModelessDialogHasNoDialogKeys)
{
  const HWND dialog = openDialog(105);
  clearLog();
  SetFocus(GetDlgItem(dialog, IDOK));
  QTest::keyClick(widgetOf(GetDlgItem(dialog, IDOK)), Qt::Key_Escape);
  for (const Seen& seen : logged({WM_COMMAND})) {
    EXPECT_NE(LOWORD(seen.wParam), IDCANCEL);
  }
  // Tab is a key for the control, which does nothing with it.
  QTest::keyClick(widgetOf(GetDlgItem(dialog, IDOK)), Qt::Key_Tab);
  EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDOK));
}

TEST_F(ModalLoopTest, TabMovesTheFocusInAModalDialog)
{
  HWND focusAfterTab = nullptr;
  HWND cancel = nullptr;
  setDialogReaction([](HWND hwnd, UINT message, WPARAM wParam, LPARAM) -> INT_PTR {
    if (message == WM_COMMAND && LOWORD(wParam) == 4242) {
      EndDialog(hwnd, 0);
    }
    return FALSE;
  });
  runModal(105, nullptr, [&](HWND dialog) {
    cancel = GetDlgItem(dialog, IDCANCEL);
    SetFocus(GetDlgItem(dialog, IDOK));
    QTest::keyClick(widgetOf(GetDlgItem(dialog, IDOK)), Qt::Key_Tab);
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
      if (receivers.size() == 2) {
        EndDialog(hwnd, 3);
      }
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
  const INT_PTR result = runModal(104, nullptr, [](HWND) { PostQuitMessage(8); });
  EXPECT_EQ(result, -1);
  MSG msg;
  ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), FALSE);
  EXPECT_EQ(msg.wParam, 8u);
}

TEST_F(ModalLoopTest, CloseBoxOfAModalDialogPostsCancel)
{
  setDialogReaction([](HWND hwnd, UINT message, WPARAM wParam, LPARAM) -> INT_PTR {
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
      EndDialog(hwnd, IDCANCEL);
      return TRUE;
    }
    return FALSE;
  });
  const INT_PTR result = runModal(105, nullptr, [](HWND dialog) { widgetOf(dialog)->window()->close(); });
  EXPECT_EQ(result, IDCANCEL);
  const auto order = logged({WM_SYSCOMMAND, WM_CLOSE, WM_COMMAND});
  ASSERT_GE(order.size(), 3u);
  EXPECT_EQ(order[0].message, static_cast<UINT>(WM_SYSCOMMAND));
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
      QTimer::singleShot(0, [&] {
        for (win32qt::Window* window : win32qt::liveWindows()) {
          if (window->kind == win32qt::WindowKind::Dialog && window->modal && window->handle != outer) {
            outerEnabledInside = IsWindowEnabled(outer);
            EndDialog(window->handle, 0);
          }
        }
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
    QTest::mouseClick(widgetOf(GetDlgItem(dialog, 9000)), Qt::LeftButton);
  });
  EXPECT_EQ(result, 11);
  EXPECT_FALSE(outerEnabledInside);
  EXPECT_TRUE(outerEnabledAfterInner);
  EXPECT_TRUE(IsWindowEnabled(owner));
}
