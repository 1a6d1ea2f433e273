// Drop-down-list combo boxes: the CB_ messages and the CBN_ notifications as the
// user's mouse and keys cause them.
#include <QAbstractItemView>
#include <QComboBox>

#include "TestWindows.h"

using namespace windowtest;

namespace {

class ComboBoxTest : public WindowTest {
protected:
  void SetUp() override
  {
    WindowTest::SetUp();
    dialog_ = openDialog(104);
    combo_ = GetDlgItem(dialog_, 1044);
    for (const char* text : {"zero", "one", "Two", "three"}) {
      add(text);
    }
    clearLog();
  }

  LRESULT add(const char* text) { return SendMessageA(combo_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)); }

  std::vector<WORD> codes() const
  {
    std::vector<WORD> result;
    for (const Seen& seen : logged({WM_COMMAND})) {
      if (seen.hwnd == dialog_ && LOWORD(seen.wParam) == 1044) {
        EXPECT_EQ(reinterpret_cast<HWND>(seen.lParam), combo_);
        result.push_back(HIWORD(seen.wParam));
      }
    }
    return result;
  }

  QAbstractItemView* openList()
  {
    QTest::mouseClick(widgetOf(combo_), Qt::LeftButton);
    auto* combo = static_cast<QComboBox*>(widgetOf(combo_));
    return combo->view();
  }

  HWND dialog_ = nullptr;
  HWND combo_ = nullptr;
};

} // namespace

TEST_F(ComboBoxTest, AddingSelectsNothingAndProgramSelectionIsSilent)
{
  EXPECT_EQ(SendMessageA(combo_, CB_GETCOUNT, 0, 0), 4);
  EXPECT_EQ(SendMessageA(combo_, CB_GETCURSEL, 0, 0), CB_ERR);
  EXPECT_EQ(add("four"), 4);
  EXPECT_EQ(SendMessageA(combo_, CB_SETCURSEL, 2, 0), 2);
  EXPECT_EQ(SendMessageA(combo_, CB_GETCURSEL, 0, 0), 2);
  char text[16];
  EXPECT_EQ(GetWindowTextA(combo_, text, sizeof text), 3);
  EXPECT_STREQ(text, "Two");
  EXPECT_EQ(SendMessageA(combo_, CB_GETLBTEXTLEN, 3, 0), 5);
  EXPECT_EQ(SendMessageA(combo_, CB_GETLBTEXT, 3, reinterpret_cast<LPARAM>(text)), 5);
  EXPECT_STREQ(text, "three");
  EXPECT_EQ(SendMessageA(combo_, CB_GETLBTEXT, 9, reinterpret_cast<LPARAM>(text)), CB_ERR);

  // An index outside the list removes the selection and reports CB_ERR.
  EXPECT_EQ(SendMessageA(combo_, CB_SETCURSEL, 99, 0), CB_ERR);
  EXPECT_EQ(SendMessageA(combo_, CB_GETCURSEL, 0, 0), CB_ERR);
  EXPECT_EQ(GetWindowTextLengthA(combo_), 0);
  EXPECT_TRUE(codes().empty());

  EXPECT_EQ(SendMessageA(combo_, CB_RESETCONTENT, 0, 0), CB_OKAY);
  EXPECT_EQ(SendMessageA(combo_, CB_GETCOUNT, 0, 0), 0);
  EXPECT_EQ(add("again"), 0);
  EXPECT_EQ(SendMessageA(combo_, CB_GETCURSEL, 0, 0), CB_ERR) << "Qt's habit of selecting the first entry shows";
}

TEST_F(ComboBoxTest, FindingIgnoresLetterCaseAndWrapsRound)
{
  auto find = [this](UINT message, WPARAM start, const char* text) {
    return SendMessageA(combo_, message, start, reinterpret_cast<LPARAM>(text));
  };
  EXPECT_EQ(find(CB_FINDSTRING, static_cast<WPARAM>(-1), "t"), 2);
  EXPECT_EQ(find(CB_FINDSTRING, 2, "T"), 3);
  EXPECT_EQ(find(CB_FINDSTRING, 3, "t"), 2);
  EXPECT_EQ(find(CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), "two"), 2);
  EXPECT_EQ(find(CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), "tw"), CB_ERR);
  EXPECT_EQ(find(CB_SELECTSTRING, static_cast<WPARAM>(-1), "ON"), 1);
  EXPECT_EQ(SendMessageA(combo_, CB_GETCURSEL, 0, 0), 1);
  EXPECT_EQ(SendMessageA(combo_, CB_DELETESTRING, 0, 0), 3);
  EXPECT_EQ(find(CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), "one"), 0);
  SendMessageA(combo_, CB_SETITEMDATA, 1, 0x1234);
  EXPECT_EQ(SendMessageA(combo_, CB_GETITEMDATA, 1, 0), 0x1234);
}

TEST_F(ComboBoxTest, KeysOnAClosedListChangeTheSelectionWithSelChange)
{
  SetFocus(combo_);
  clearLog();
  QTest::keyClick(widgetOf(combo_), Qt::Key_Down);
  EXPECT_EQ(SendMessageA(combo_, CB_GETCURSEL, 0, 0), 0);
  QTest::keyClick(widgetOf(combo_), Qt::Key_Down);
  EXPECT_EQ(SendMessageA(combo_, CB_GETCURSEL, 0, 0), 1);
  EXPECT_EQ(codes(), (std::vector<WORD>{CBN_SELCHANGE, CBN_SELCHANGE}));
}

TEST_F(ComboBoxTest, OpeningWithTheMouseDropsDownAndChoosingEndsWithSelChange)
{
  QAbstractItemView* list = openList();
  ASSERT_TRUE(list->isVisible());
  EXPECT_EQ(SendMessageA(combo_, CB_GETDROPPEDSTATE, 0, 0), TRUE);
  const std::vector<WORD> opening = codes();
  ASSERT_FALSE(opening.empty());
  EXPECT_EQ(opening.back(), CBN_DROPDOWN);
  EXPECT_EQ(opening.front(), CBN_SETFOCUS) << "the box takes the focus as it is pressed";

  clearLog();
  // The user moves down the open list, which selects as it goes, and takes the entry
  // with Enter.
  for (int i = 0; i < 3; ++i) {
    QTest::keyClick(list, Qt::Key_Down);
  }
  EXPECT_EQ(SendMessageA(combo_, CB_GETCURSEL, 0, 0), 2);
  QTest::keyClick(list, Qt::Key_Return);
  processEvents();
  EXPECT_EQ(SendMessageA(combo_, CB_GETCURSEL, 0, 0), 2);
  EXPECT_EQ(SendMessageA(combo_, CB_GETDROPPEDSTATE, 0, 0), FALSE);
  EXPECT_EQ(codes(), (std::vector<WORD>{CBN_SELCHANGE, CBN_SELCHANGE, CBN_SELCHANGE, CBN_SELENDOK, CBN_CLOSEUP}));
}

TEST_F(ComboBoxTest, ClosingTheListWithoutAChoiceCancels)
{
  SendMessageA(combo_, CB_SETCURSEL, 1, 0);
  QAbstractItemView* list = openList();
  clearLog();
  QTest::keyClick(list, Qt::Key_Escape);
  QTest::qWait(10);
  EXPECT_EQ(codes(), (std::vector<WORD>{CBN_SELENDCANCEL, CBN_CLOSEUP}));
  EXPECT_EQ(SendMessageA(combo_, CB_GETCURSEL, 0, 0), 1);
}

TEST_F(ComboBoxTest, ShowDropDownByMessageNotifiesAsTheMouseDoes)
{
  SendMessageA(combo_, CB_SHOWDROPDOWN, TRUE, 0);
  EXPECT_EQ(codes(), (std::vector<WORD>{CBN_DROPDOWN}));
  EXPECT_EQ(SendMessageA(combo_, CB_GETDROPPEDSTATE, 0, 0), TRUE);
  SendMessageA(combo_, CB_SHOWDROPDOWN, FALSE, 0);
  QTest::qWait(10);
  EXPECT_EQ(SendMessageA(combo_, CB_GETDROPPEDSTATE, 0, 0), FALSE);
  const std::vector<WORD> all = codes();
  EXPECT_EQ(all.back(), CBN_CLOSEUP);
}

TEST_F(ComboBoxTest, FocusComesAndGoesWithNotifications)
{
  const HWND other = GetDlgItem(dialog_, 1046);
  SetFocus(other);
  clearLog();
  SetFocus(combo_);
  SetFocus(other);
  EXPECT_EQ(codes(), (std::vector<WORD>{CBN_SETFOCUS, CBN_KILLFOCUS}));
  EXPECT_EQ(GetFocus(), other);
}

TEST_F(ComboBoxTest, ALongListFillsQuicklyAndShowsItsEntries)
{
  const HWND cell = GetDlgItem(openDialog(103), 9000);
  char text[8];
  for (int i = 0; i < 16384; ++i) {
    wsprintfA(text, "%d", i);
    ASSERT_EQ(SendMessageA(cell, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)), i);
  }
  EXPECT_EQ(SendMessageA(cell, CB_SETCURSEL, 16383, 0), 16383);
  GetWindowTextA(cell, text, sizeof text);
  EXPECT_STREQ(text, "16383");
  auto* combo = static_cast<QComboBox*>(widgetOf(cell));
  EXPECT_EQ(combo->count(), 16384);
  EXPECT_EQ(combo->currentText(), QStringLiteral("16383"));
}
