// Window procedures, subclassing, notifications and the messages around showing,
// sizing and closing, as Windows sends them, driven through Qt (the order around
// creation and destruction, and sent against posted messages, are checked on both
// window layers with the window tests).
#include "TestWindows.h"

using namespace windowtest;

namespace {

class MessageTest : public WindowTest {};

constexpr UINT testMessage = WM_APP + 7;

std::vector<UINT> messagesTo(HWND hwnd, std::initializer_list<UINT> among)
{
  std::vector<UINT> result;
  for (const Seen& seen : logged(among)) {
    if (seen.hwnd == hwnd) {
      result.push_back(seen.message);
    }
  }
  return result;
}

// The notification codes a control sent its parent, in order.
std::vector<WORD> codesFrom(HWND parent, int id)
{
  std::vector<WORD> codes;
  for (const Seen& seen : logged({WM_COMMAND})) {
    if (seen.hwnd == parent && LOWORD(seen.wParam) == id) {
      codes.push_back(HIWORD(seen.wParam));
    }
  }
  return codes;
}

} // namespace

TEST_F(MessageTest, GetMessageWaitsForAMessagePostedLaterFromTheEventLoop)
{
  const HWND dialog = openDialog(104);
  QTimer::singleShot(20, [dialog] { PostMessageA(dialog, testMessage, 9, 0); });
  MSG msg;
  ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
  EXPECT_EQ(msg.message, static_cast<UINT>(testMessage));
  EXPECT_EQ(msg.wParam, 9u);
}

TEST_F(MessageTest, PostedMessagesReachTheirWindowWhileOnlyQtsLoopRuns)
{
  const HWND dialog = openDialog(104);
  clearLog();
  PostMessageA(dialog, testMessage, 1, 0);
  PostMessageA(dialog, testMessage, 2, 0);
  QTest::qWait(20);
  const auto seen = logged({testMessage});
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].wParam, 1u);
  EXPECT_EQ(seen[1].wParam, 2u);
}

TEST_F(MessageTest, WindowSlotsHoldWhatIsStored)
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

TEST_F(MessageTest, ButtonClickReachesTheParentWhileTheButtonHandlesTheRelease)
{
  const HWND dialog = openDialog(104);
  const HWND key = GetDlgItem(dialog, 9009);
  recordingSubclass(key);
  clearLog();
  QTest::mouseClick(widgetOf(key), Qt::LeftButton);

  // A notifying button also tells of the focus it takes (BN_SETFOCUS = 6).
  std::vector<Seen> seen;
  for (const Seen& s : logged({WM_LBUTTONDOWN, WM_LBUTTONUP, WM_COMMAND})) {
    if (s.message != WM_COMMAND || HIWORD(s.wParam) == BN_CLICKED) {
      seen.push_back(s);
    }
  }
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0], (Seen{key, WM_LBUTTONDOWN, MK_LBUTTON, seen[0].lParam}));
  EXPECT_EQ(seen[1].message, static_cast<UINT>(WM_LBUTTONUP));
  EXPECT_EQ(seen[1].wParam, 0u);
  EXPECT_EQ(seen[2], (Seen{dialog, WM_COMMAND, MAKEWPARAM(9009, BN_CLICKED), reinterpret_cast<LPARAM>(key)}));
  EXPECT_EQ(codesFrom(dialog, 9009), (std::vector<WORD>{BN_SETFOCUS, BN_CLICKED}));
}

TEST_F(MessageTest, ASubclassThatDoesNotPassAMessageOnSwallowsIt)
{
  const HWND dialog = openDialog(104);
  const HWND key = GetDlgItem(dialog, 9000);
  subclass(key, [](WNDPROC previous, HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
    if (m == WM_LBUTTONDOWN || m == WM_LBUTTONUP) {
      return 0;
    }
    return CallWindowProcA(previous, h, m, w, l);
  });
  clearLog();
  QTest::mousePress(widgetOf(key), Qt::LeftButton);
  EXPECT_EQ(SendMessageA(key, BM_GETSTATE, 0, 0) & BST_PUSHED, 0);
  QTest::mouseRelease(widgetOf(key), Qt::LeftButton);
  EXPECT_TRUE(codesFrom(dialog, 9000).empty());

  // Its neighbour, not subclassed, still clicks.
  QTest::mouseClick(widgetOf(GetDlgItem(dialog, 9001)), Qt::LeftButton);
  EXPECT_EQ(codesFrom(dialog, 9001), (std::vector<WORD>{BN_SETFOCUS, BN_CLICKED}));
}

TEST_F(MessageTest, PostedPressCodesArriveAroundTheSentClick)
{
  // A key button that posts BN_PUSHED on press and BN_UNPUSHED on release and then
  // lets the button work: the parent sees the click before the posted release code.
  const HWND dialog = openDialog(104);
  const HWND key = GetDlgItem(dialog, 9004);
  subclass(key, [](WNDPROC previous, HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
    if (m == WM_LBUTTONDOWN || m == WM_LBUTTONUP) {
      const WORD code = m == WM_LBUTTONDOWN ? BN_PUSHED : BN_UNPUSHED;
      PostMessageA(GetParent(h), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(h), code), reinterpret_cast<LPARAM>(h));
    }
    return CallWindowProcA(previous, h, m, w, l);
  });
  clearLog();
  QTest::mousePress(widgetOf(key), Qt::LeftButton);
  EXPECT_EQ(codesFrom(dialog, 9004), (std::vector<WORD>{BN_SETFOCUS})) << "a posted message came before the loop ran";
  EXPECT_EQ(GetCapture(), key);
  drainPostedMessages();
  QTest::mouseRelease(widgetOf(key), Qt::LeftButton);
  EXPECT_EQ(GetCapture(), nullptr);
  drainPostedMessages();

  std::vector<WORD> codes;
  for (WORD code : codesFrom(dialog, 9004)) {
    if (code != BN_SETFOCUS) {
      codes.push_back(code);
    }
  }
  EXPECT_EQ(codes, (std::vector<WORD>{BN_PUSHED, BN_CLICKED, BN_UNPUSHED}));
}

TEST_F(MessageTest, AutoCheckBoxChecksItselfAndNotifiesButProgramChecksAreSilent)
{
  const HWND dialog = openDialog(104);
  const HWND box = GetDlgItem(dialog, 1060);
  EXPECT_EQ(SendMessageA(box, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  clearLog();
  QTest::mouseClick(widgetOf(box), Qt::LeftButton, {}, QPoint(5, widgetOf(box)->height() / 2));
  EXPECT_EQ(IsDlgButtonChecked(dialog, 1060), static_cast<UINT>(BST_CHECKED));
  // Without BS_NOTIFY the box reports the click only.
  EXPECT_EQ(codesFrom(dialog, 1060), (std::vector<WORD>{BN_CLICKED}));

  clearLog();
  CheckDlgButton(dialog, 1060, BST_UNCHECKED);
  EXPECT_EQ(IsDlgButtonChecked(dialog, 1060), static_cast<UINT>(BST_UNCHECKED));
  EXPECT_TRUE(logged({WM_COMMAND}).empty());
}

TEST_F(MessageTest, DisabledControlsTakeNoClicksAndEnableWindowReportsThePreviousState)
{
  const HWND dialog = openDialog(104);
  const HWND key = GetDlgItem(dialog, 9007);
  clearLog();
  EXPECT_FALSE(EnableWindow(key, FALSE)); // was enabled
  EXPECT_TRUE(EnableWindow(key, FALSE));  // was disabled
  EXPECT_FALSE(IsWindowEnabled(key));
  EXPECT_EQ(logged({WM_ENABLE}).size(), 0u) << "the button's own procedure is not recorded";
  QTest::mouseClick(widgetOf(key), Qt::LeftButton);
  EXPECT_TRUE(codesFrom(dialog, 9007).empty());
  EnableWindow(key, TRUE);
  QTest::mouseClick(widgetOf(key), Qt::LeftButton);
  EXPECT_EQ(codesFrom(dialog, 9007).back(), BN_CLICKED);
  // Disabling the dialog leaves its controls enabled, as on Windows.
  EnableWindow(dialog, FALSE);
  EXPECT_FALSE(IsWindowEnabled(dialog));
  EXPECT_TRUE(IsWindowEnabled(key));
  EXPECT_EQ(logged({WM_ENABLE}).size(), 1u) << "WM_ENABLE goes to the dialog";
  clearLog();
  QTest::mouseClick(widgetOf(key), Qt::LeftButton);
  EXPECT_TRUE(codesFrom(dialog, 9007).empty()) << "a disabled window took input";
}

TEST_F(MessageTest, DefWindowProcClosesAWindowAndTheCloseBoxAsksFirst)
{
  const HWND dialog = openDialog(104);
  clearLog();
  widgetOf(dialog)->window()->close(); // the close box
  const auto seen = logged({WM_SYSCOMMAND, WM_CLOSE});
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].wParam, static_cast<WPARAM>(SC_CLOSE));
  EXPECT_EQ(seen[1].message, static_cast<UINT>(WM_CLOSE));
  EXPECT_TRUE(IsWindow(dialog)) << "the dialog manager closes nothing by itself";
  // Unhandled WM_CLOSE in a dialog is its Cancel button, posted.
  clearLog();
  drainPostedMessages();
  const auto commands = logged({WM_COMMAND});
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_EQ(commands[0].wParam, MAKEWPARAM(IDCANCEL, BN_CLICKED));

  // A plain control's default procedure destroys the window on WM_CLOSE.
  const HWND key = GetDlgItem(dialog, 9000);
  DefWindowProcA(key, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(key));
}

TEST_F(MessageTest, WindowTextGoesThroughTheMessages)
{
  const HWND dialog = openDialog(101);
  char text[64];
  EXPECT_EQ(GetWindowTextA(dialog, text, sizeof text), 14);
  EXPECT_STREQ(text, "ZBK-EDIT v0.18");
  SetWindowTextA(GetDlgItem(dialog, 1019), "12345");
  EXPECT_EQ(GetDlgItemTextA(dialog, 1019, text, sizeof text), 5u);
  EXPECT_STREQ(text, "12345");
  // A buffer too small keeps whole characters only: "音色" is 6 bytes.
  SetDlgItemTextA(dialog, 1020, "音色");
  EXPECT_EQ(GetWindowTextLengthA(GetDlgItem(dialog, 1020)), 6);
  char small[5];
  EXPECT_EQ(GetDlgItemTextA(dialog, 1020, small, sizeof small), 3u);
  EXPECT_STREQ(small, "音");
}

TEST_F(MessageTest, ShowAndSizeSendTheirMessages)
{
  const HWND dialog = openDialog(104);
  const HWND key = GetDlgItem(dialog, 9003);
  recordingSubclass(key);
  clearLog();
  EXPECT_TRUE(ShowWindow(key, SW_HIDE));
  EXPECT_FALSE(IsWindowVisible(key));
  EXPECT_FALSE(ShowWindow(key, SW_SHOW));
  EXPECT_TRUE(IsWindowVisible(key));
  EXPECT_EQ(messagesTo(key, {WM_SHOWWINDOW}).size(), 2u);

  SetWindowPos(key, nullptr, 0, 0, 33, 44, SWP_NOMOVE | SWP_NOZORDER);
  const auto sizes = logged({WM_SIZE});
  ASSERT_EQ(sizes.size(), 1u);
  EXPECT_EQ(sizes[0].lParam, MAKELPARAM(33, 44));
  RECT client;
  GetClientRect(key, &client);
  EXPECT_EQ(client.right, 33);
  EXPECT_EQ(client.bottom, 44);
  RECT before;
  RECT after;
  GetWindowRect(key, &before);
  SetWindowPos(key, nullptr, 5, 6, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  GetWindowRect(key, &after);
  POINT origin{0, 0};
  ClientToScreen(dialog, &origin);
  EXPECT_EQ(after.left - origin.x, 5);
  EXPECT_EQ(after.top - origin.y, 6);
  EXPECT_EQ(after.right - after.left, 33);
  EXPECT_EQ(logged({WM_SIZE}).size(), 1u) << "a move is no resize";
}

TEST_F(MessageTest, MenuCommandsArriveAsPostedCommands)
{
  const HWND dialog = openDialog(101);
  ASSERT_NE(GetMenu(dialog), nullptr);
  EXPECT_EQ(GetMenu(openDialog(104)), nullptr);
  auto* frame = widgetOf(dialog)->window();
  QAction* close = nullptr;
  for (QAction* action : frame->findChildren<QAction*>()) {
    if (action->text() == QStringLiteral("閉じる(&X)")) {
      close = action;
    }
  }
  ASSERT_NE(close, nullptr);
  clearLog();
  close->trigger();
  EXPECT_TRUE(logged({WM_COMMAND}).empty());
  drainPostedMessages();
  const auto commands = logged({WM_COMMAND});
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_EQ(commands[0], (Seen{dialog, WM_COMMAND, MAKEWPARAM(40002, 0), 0}));
}

TEST_F(MessageTest, TimersPostOneMessageAtATime)
{
  const HWND dialog = openDialog(104);
  ASSERT_EQ(SetTimer(dialog, 5, 10, nullptr), 5u);
  clearLog();
  QTest::qWait(60);
  const auto ticks = logged({WM_TIMER});
  EXPECT_GE(ticks.size(), 2u);
  EXPECT_EQ(ticks.front().wParam, 5u);
  EXPECT_TRUE(KillTimer(dialog, 5));
  EXPECT_FALSE(KillTimer(dialog, 5));
  processEvents();
  clearLog();
  QTest::qWait(30);
  EXPECT_TRUE(logged({WM_TIMER}).empty());
}
