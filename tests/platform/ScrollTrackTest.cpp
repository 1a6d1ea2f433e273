// Scroll-bar controls, which report requests and move only where the program puts
// them, and trackbars, which move themselves, vertical ones with the minimum on top.
#include <QScrollBar>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>

#include "TestWindows.h"

using namespace windowtest;

namespace {

// What Qt's style needs to find the parts of a scroll bar or slider.
QStyleOptionSlider sliderOption(const QAbstractSlider* slider)
{
  QStyleOptionSlider option;
  option.initFrom(slider);
  option.orientation = slider->orientation();
  option.minimum = slider->minimum();
  option.maximum = slider->maximum();
  option.sliderPosition = slider->sliderPosition();
  option.sliderValue = slider->value();
  option.pageStep = slider->pageStep();
  option.singleStep = slider->singleStep();
  option.upsideDown = slider->invertedAppearance() != (slider->orientation() == Qt::Vertical);
  return option;
}

class ScrollBarTest : public WindowTest {
protected:
  void SetUp() override
  {
    WindowTest::SetUp();
    dialog_ = openDialog(101);
    bar_ = GetDlgItem(dialog_, 1018);
    SCROLLINFO info{sizeof(SCROLLINFO), SIF_RANGE | SIF_POS, 0, 1000, 0, 0, 0};
    SetScrollInfo(bar_, SB_CTL, &info, TRUE);
    clearLog();
  }

  // The scroll requests the dialog received: code and position.
  std::vector<std::pair<int, int>> requests() const
  {
    std::vector<std::pair<int, int>> result;
    for (const Seen& seen : logged({WM_HSCROLL})) {
      EXPECT_EQ(seen.hwnd, dialog_);
      EXPECT_EQ(reinterpret_cast<HWND>(seen.lParam), bar_);
      result.emplace_back(LOWORD(seen.wParam), static_cast<short>(HIWORD(seen.wParam)));
    }
    return result;
  }

  int position() const
  {
    SCROLLINFO info{sizeof(SCROLLINFO), SIF_POS, 0, 0, 0, 0, 0};
    GetScrollInfo(bar_, SB_CTL, &info);
    return info.nPos;
  }

  QRect thumb() const
  {
    auto* bar = static_cast<QScrollBar*>(widgetOf(bar_));
    const QStyleOptionSlider option = sliderOption(bar);
    return bar->style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, bar);
  }

  HWND dialog_ = nullptr;
  HWND bar_ = nullptr;
};

class TrackbarTest : public WindowTest {
protected:
  void SetUp() override
  {
    WindowTest::SetUp();
    dialog_ = openDialog(104);
    track_ = GetDlgItem(dialog_, 1058);
    SendMessageA(track_, TBM_SETRANGE, FALSE, MAKELPARAM(0, 127));
    SendMessageA(track_, TBM_SETPOS, TRUE, 10);
    SetFocus(track_);
    clearLog();
  }

  std::vector<std::pair<int, int>> notifications() const
  {
    std::vector<std::pair<int, int>> result;
    for (const Seen& seen : logged({WM_VSCROLL, WM_HSCROLL})) {
      EXPECT_EQ(seen.message, static_cast<UINT>(WM_VSCROLL)) << "a vertical trackbar reports WM_VSCROLL";
      EXPECT_EQ(reinterpret_cast<HWND>(seen.lParam), track_);
      result.emplace_back(LOWORD(seen.wParam), HIWORD(seen.wParam));
    }
    return result;
  }

  LRESULT position() const { return SendMessageA(track_, TBM_GETPOS, 0, 0); }

  QRect handle() const
  {
    auto* slider = static_cast<QSlider*>(widgetOf(track_));
    QStyleOptionSlider option = sliderOption(slider);
    option.tickPosition = slider->tickPosition();
    return slider->style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, slider);
  }

  HWND dialog_ = nullptr;
  HWND track_ = nullptr;
};

} // namespace

TEST_F(ScrollBarTest, ScrollInfoKeepsThePositionInsideTheRange)
{
  SCROLLINFO info{sizeof(SCROLLINFO), SIF_POS, 0, 0, 0, 2000, 0};
  EXPECT_EQ(SetScrollInfo(bar_, SB_CTL, &info, TRUE), 1000);
  info = SCROLLINFO{sizeof(SCROLLINFO), SIF_PAGE | SIF_POS, 0, 0, 100, 2000, 0};
  EXPECT_EQ(SetScrollInfo(bar_, SB_CTL, &info, TRUE), 901) << "the last page starts at 1000 - 100 + 1";
  info = SCROLLINFO{sizeof(SCROLLINFO), SIF_POS, 0, 0, 0, -5, 0};
  EXPECT_EQ(SetScrollInfo(bar_, SB_CTL, &info, TRUE), 0);

  SCROLLINFO read{sizeof(SCROLLINFO), SIF_ALL, -1, -1, 0, -1, -1};
  ASSERT_TRUE(GetScrollInfo(bar_, SB_CTL, &read));
  EXPECT_EQ(read.nMin, 0);
  EXPECT_EQ(read.nMax, 1000);
  EXPECT_EQ(read.nPage, 100u);
  EXPECT_EQ(read.nPos, 0);
  EXPECT_EQ(read.nTrackPos, 0);
  EXPECT_TRUE(logged({WM_HSCROLL}).empty()) << "setting the position is no request";
  // Windows of this program carry no standard scroll bars.
  EXPECT_FALSE(GetScrollInfo(dialog_, SB_HORZ, &read));
}

TEST_F(ScrollBarTest, ArrowsAndTroughAskAndTheThumbStaysUntilTheProgramMovesIt)
{
  QWidget* bar = widgetOf(bar_);
  const int middle = bar->height() / 2;
  QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() - 3, middle));
  EXPECT_EQ(requests(), (std::vector<std::pair<int, int>>{{SB_LINERIGHT, 0}, {SB_ENDSCROLL, 0}}));
  EXPECT_EQ(position(), 0);

  clearLog();
  QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() * 3 / 4, middle));
  EXPECT_EQ(requests(), (std::vector<std::pair<int, int>>{{SB_PAGERIGHT, 0}, {SB_ENDSCROLL, 0}}));

  // A parent that follows the requests, as the editor does.
  setDialogReaction([this](HWND, UINT message, WPARAM wParam, LPARAM) -> INT_PTR {
    if (message != WM_HSCROLL || LOWORD(wParam) == SB_ENDSCROLL) {
      return FALSE;
    }
    SCROLLINFO info{sizeof(SCROLLINFO), SIF_POS, 0, 0, 0, position() + (LOWORD(wParam) == SB_LINERIGHT ? 4 : -4), 0};
    SetScrollInfo(bar_, SB_CTL, &info, TRUE);
    return TRUE;
  });
  QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() - 3, middle));
  QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() - 3, middle));
  QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(2, middle));
  EXPECT_EQ(position(), 4);
  EXPECT_EQ(static_cast<QScrollBar*>(bar)->value(), 4);
}

TEST_F(ScrollBarTest, DraggingTheThumbTracksThenReportsItsPosition)
{
  QWidget* bar = widgetOf(bar_);
  const QPoint start = thumb().center();
  QTest::mousePress(bar, Qt::LeftButton, {}, start);
  QTest::mouseMove(bar, start + QPoint(200, 0));
  SCROLLINFO info{sizeof(SCROLLINFO), SIF_POS | SIF_TRACKPOS, 0, 0, 0, 0, 0};
  GetScrollInfo(bar_, SB_CTL, &info);
  EXPECT_EQ(info.nPos, 0);
  EXPECT_GT(info.nTrackPos, 0);
  const int tracked = info.nTrackPos;
  QTest::mouseRelease(bar, Qt::LeftButton, {}, start + QPoint(200, 0));

  const auto seen = requests();
  ASSERT_GE(seen.size(), 3u);
  EXPECT_EQ(seen[seen.size() - 3], std::make_pair(SB_THUMBTRACK, tracked));
  EXPECT_EQ(seen[seen.size() - 2], std::make_pair(SB_THUMBPOSITION, tracked));
  EXPECT_EQ(seen.back(), std::make_pair(SB_ENDSCROLL, 0));
  EXPECT_EQ(position(), 0) << "nobody moved it";
  EXPECT_EQ(thumb().center().x(), start.x());
}

TEST_F(TrackbarTest, RangePositionAndTics)
{
  EXPECT_EQ(position(), 10);
  SendMessageA(track_, TBM_SETPOS, TRUE, 200);
  EXPECT_EQ(position(), 127);
  SendMessageA(track_, TBM_SETPOS, TRUE, -3);
  EXPECT_EQ(position(), 0);
  EXPECT_EQ(SendMessageA(track_, TBM_GETRANGEMAX, 0, 0), 127);
  EXPECT_TRUE(SendMessageA(track_, TBM_SETTIC, 0, 1));
  EXPECT_FALSE(SendMessageA(track_, TBM_SETTIC, 0, 500));
  EXPECT_EQ(SendMessageA(track_, TBM_GETPAGESIZE, 0, 0), 25) << "a fifth of the range";
  EXPECT_TRUE(notifications().empty()) << "program changes send nothing";
}

TEST_F(TrackbarTest, AVerticalTrackbarHasItsMinimumAtTheTop)
{
  SendMessageA(track_, TBM_SETPOS, TRUE, 0);
  const int top = handle().center().y();
  SendMessageA(track_, TBM_SETPOS, TRUE, 127);
  const int bottom = handle().center().y();
  EXPECT_LT(top, widgetOf(track_)->height() / 2);
  EXPECT_GT(bottom, widgetOf(track_)->height() / 2);
}

TEST_F(TrackbarTest, KeysMoveItAndReportAfterMoving)
{
  QWidget* track = widgetOf(track_);
  QTest::keyClick(track, Qt::Key_Up);
  EXPECT_EQ(position(), 9);
  QTest::keyClick(track, Qt::Key_Down);
  QTest::keyClick(track, Qt::Key_Down);
  EXPECT_EQ(position(), 11);
  QTest::keyClick(track, Qt::Key_PageDown);
  EXPECT_EQ(position(), 36);
  QTest::keyClick(track, Qt::Key_Home);
  EXPECT_EQ(position(), 0);
  EXPECT_EQ(notifications(), (std::vector<std::pair<int, int>>{{TB_LINEUP, 0},
                                                                 {TB_ENDTRACK, 0},
                                                                 {TB_LINEDOWN, 0},
                                                                 {TB_ENDTRACK, 0},
                                                                 {TB_LINEDOWN, 0},
                                                                 {TB_ENDTRACK, 0},
                                                                 {TB_PAGEDOWN, 0},
                                                                 {TB_ENDTRACK, 0},
                                                                 {TB_TOP, 0},
                                                                 {TB_ENDTRACK, 0}}));
}

TEST_F(TrackbarTest, DraggingTheThumbDownwardsRaisesThePosition)
{
  QWidget* track = widgetOf(track_);
  const QPoint start = handle().center();
  QTest::mousePress(track, Qt::LeftButton, {}, start);
  QTest::mouseMove(track, start + QPoint(0, 40));
  const LRESULT dragged = position();
  EXPECT_GT(dragged, 10);
  QTest::mouseRelease(track, Qt::LeftButton, {}, start + QPoint(0, 40));
  const auto seen = notifications();
  ASSERT_GE(seen.size(), 3u);
  EXPECT_EQ(seen[seen.size() - 3], std::make_pair(static_cast<int>(TB_THUMBTRACK), static_cast<int>(dragged)));
  EXPECT_EQ(seen[seen.size() - 2], std::make_pair(static_cast<int>(TB_THUMBPOSITION), static_cast<int>(dragged)));
  EXPECT_EQ(seen.back(), std::make_pair(static_cast<int>(TB_ENDTRACK), 0));
  EXPECT_EQ(position(), dragged);
}
