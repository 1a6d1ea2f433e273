// A modeless dialog over Qt gets no dialog keys: nothing calls IsDialogMessageA for it
// here (the modal loop and its keys are checked on both window layers with the window
// tests).
#include "TestWindows.h"

using namespace windowtest;

namespace {

class ModalLoopTest : public WindowTest {};

} // namespace

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
