// Scroll-bar controls report the user's requests to their parent and move only where
// the program puts them; only a dragged thumb follows the mouse, and only until the
// release.
#include "GuiDriver.h"
#include "RecordingWindows.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using namespace recording;

namespace {

constexpr int mainTemplate = 101;
constexpr int positionBar = 1018;

class ScrollBarTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        dialog_ = openDialog(mainTemplate);
        ASSERT_NE(dialog_, nullptr);
        bar_ = GetDlgItem(dialog_, positionBar);
        SCROLLINFO info{sizeof(SCROLLINFO), SIF_RANGE | SIF_POS, 0, 1000, 0, 0, 0};
        SetScrollInfo(bar_, SB_CTL, &info, TRUE);
        GetClientRect(bar_, &client_);
        ASSERT_GT(client_.right, 100) << "a horizontal bar, long enough for its parts";
        gui::processEvents();
        // At the minimum the thumb lies against the left arrow.
        arrow_ = parts().xyThumbTop;
        ASSERT_GT(arrow_, 2);
        ASSERT_LT(arrow_, client_.right / 4);
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

    SCROLLBARINFO parts() const
    {
        SCROLLBARINFO info{};
        info.cbSize = sizeof info;
        EXPECT_TRUE(GetScrollBarInfo(bar_, OBJID_CLIENT, &info));
        return info;
    }

    int middle() const { return client_.bottom / 2; }
    int rightArrow() const { return client_.right - arrow_ / 2; }
    int leftArrow() const { return arrow_ / 2; }

    HWND dialog_ = nullptr;
    HWND bar_ = nullptr;
    RECT client_{};
    int arrow_ = 0;
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

TEST_F(ScrollBarTest, TheThumbShowsThePageAndThePosition)
{
    SCROLLINFO info{sizeof(SCROLLINFO), SIF_PAGE | SIF_POS, 0, 0, 100, 0, 0};
    SetScrollInfo(bar_, SB_CTL, &info, TRUE);
    SCROLLBARINFO first = parts();
    EXPECT_EQ(first.rcScrollBar.right - first.rcScrollBar.left, client_.right);
    // Between the arrows, the thumb takes the page's share of the 1001 positions.
    const int trough = client_.right - 2 * arrow_;
    EXPECT_EQ(first.xyThumbTop, arrow_);
    EXPECT_NEAR(first.xyThumbBottom - first.xyThumbTop, trough * 100 / 1001, 1);
    EXPECT_EQ(first.dxyLineButton, first.xyThumbBottom - first.xyThumbTop) << "the thumb's length";

    info = SCROLLINFO{sizeof(SCROLLINFO), SIF_POS, 0, 0, 0, 901, 0};
    SetScrollInfo(bar_, SB_CTL, &info, TRUE);
    EXPECT_EQ(parts().xyThumbBottom, client_.right - arrow_) << "the last page puts it against the right arrow";

    info = SCROLLINFO{sizeof(SCROLLINFO), SIF_POS, 0, 0, 0, 450, 0};
    SetScrollInfo(bar_, SB_CTL, &info, TRUE);
    const SCROLLBARINFO half = parts();
    EXPECT_NEAR((half.xyThumbTop + half.xyThumbBottom) / 2, client_.right / 2, 2);

    SCROLLBARINFO none{};
    none.cbSize = sizeof none;
    EXPECT_FALSE(GetScrollBarInfo(dialog_, OBJID_CLIENT, &none)) << "a dialog is no scroll bar";
}

TEST_F(ScrollBarTest, ArrowsAndTroughAskAndTheThumbStaysUntilTheProgramMovesIt)
{
    const SCROLLBARINFO start = parts();
    gui::quickClick(bar_, rightArrow(), middle());
    EXPECT_EQ(requests(), (std::vector<std::pair<int, int>>{{SB_LINERIGHT, 0}, {SB_ENDSCROLL, 0}}));
    EXPECT_EQ(position(), 0);

    clearLog();
    gui::quickClick(bar_, (start.xyThumbBottom + client_.right - arrow_) / 2, middle());
    EXPECT_EQ(requests(), (std::vector<std::pair<int, int>>{{SB_PAGERIGHT, 0}, {SB_ENDSCROLL, 0}}));
    EXPECT_EQ(position(), 0);
    EXPECT_EQ(parts().xyThumbTop, start.xyThumbTop);

    // A parent that follows the requests, as the editor does.
    setDialogReaction([this](HWND, UINT message, WPARAM wParam, LPARAM) -> INT_PTR {
        if (message != WM_HSCROLL || LOWORD(wParam) == SB_ENDSCROLL)
            return FALSE;
        const int step = LOWORD(wParam) == SB_LINERIGHT ? 100 : -40;
        SCROLLINFO info{sizeof(SCROLLINFO), SIF_POS, 0, 0, 0, position() + step, 0};
        SetScrollInfo(bar_, SB_CTL, &info, TRUE);
        return TRUE;
    });
    gui::quickClick(bar_, rightArrow(), middle());
    gui::quickClick(bar_, rightArrow(), middle());
    gui::quickClick(bar_, leftArrow(), middle());
    EXPECT_EQ(position(), 160);
    EXPECT_GT(parts().xyThumbTop, start.xyThumbTop + 2) << "the thumb shows where the program put it";
}

TEST_F(ScrollBarTest, DraggingTheThumbTracksThenReportsItsPosition)
{
    const SCROLLBARINFO start = parts();
    const int grip = (start.xyThumbTop + start.xyThumbBottom) / 2;
    int tracked = -1;
    SCROLLINFO held{sizeof(SCROLLINFO), SIF_POS | SIF_TRACKPOS, 0, 0, 0, -1, -1};
    ASSERT_TRUE(gui::holdMouse(bar_, grip, middle(), [&] {
        gui::mouseMove(bar_, grip + 200, middle());
        GetScrollInfo(bar_, SB_CTL, &held);
        tracked = held.nTrackPos;
        gui::mouseRelease(bar_, grip + 200, middle());
    }));
    EXPECT_EQ(held.nPos, 0);
    // 200 pixels of the trough's length, which holds the 1001 positions but one thumb.
    const int trough = client_.right - 2 * arrow_ - start.dxyLineButton;
    EXPECT_NEAR(tracked, 200 * 1000 / trough, 1000 / trough + 1);

    const auto seen = requests();
    ASSERT_GE(seen.size(), 3u);
    EXPECT_EQ(seen[seen.size() - 3], std::make_pair(SB_THUMBTRACK, tracked));
    EXPECT_EQ(seen[seen.size() - 2], std::make_pair(SB_THUMBPOSITION, tracked));
    EXPECT_EQ(seen.back(), std::make_pair(SB_ENDSCROLL, 0));
    EXPECT_EQ(position(), 0) << "nobody moved it";
    EXPECT_EQ(parts().xyThumbTop, start.xyThumbTop);
    SCROLLINFO after{sizeof(SCROLLINFO), SIF_TRACKPOS, 0, 0, 0, 0, -1};
    GetScrollInfo(bar_, SB_CTL, &after);
    EXPECT_EQ(after.nTrackPos, 0) << "no drag, no track position of its own";
}
