// A long drop-down list reaches Qt's combo box whole, although it learns of the
// entries in one batch.
#include <QComboBox>

#include "TestWindows.h"

using namespace windowtest;

namespace {

using ComboBoxTest = WindowTest;

} // namespace

TEST_F(ComboBoxTest, ALongListShowsInTheQtComboBox)
{
  const HWND cell = GetDlgItem(openDialog(103), 9000);
  char text[8];
  for (int i = 0; i < 16384; ++i) {
    wsprintfA(text, "%d", i);
    ASSERT_EQ(SendMessageA(cell, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)), i);
  }
  EXPECT_EQ(SendMessageA(cell, CB_SETCURSEL, 16383, 0), 16383);
  auto* combo = static_cast<QComboBox*>(widgetOf(cell));
  EXPECT_EQ(combo->count(), 16384);
  EXPECT_EQ(combo->currentText(), QStringLiteral("16383"));
}
