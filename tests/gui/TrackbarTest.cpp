// Trackbars move themselves and then tell their parent; a vertical one has its minimum
// at the top and reports with WM_VSCROLL.
#include "GuiDriver.h"
#include "RecordingWindows.h"

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

using namespace recording;

namespace {

constexpr int auditionTemplate = 104;
constexpr int velocityTrack = 1058;

// Code and position of a notification, and where the trackbar stood as it came.
struct Notice {
    int code;
    int position;
    int standing;
    bool operator==(const Notice&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Notice& notice)
{
    return out << "{" << notice.code << ", " << notice.position << ", " << notice.standing << "}";
}

class TrackbarTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        dialog_ = openDialog(auditionTemplate);
        ASSERT_NE(dialog_, nullptr);
        track_ = GetDlgItem(dialog_, velocityTrack);
        SendMessageA(track_, TBM_SETRANGE, FALSE, MAKELPARAM(0, 127));
        SendMessageA(track_, TBM_SETPOS, TRUE, 10);
        SetFocus(track_);
        gui::processEvents();
        clearLog();
    }

    void recordStanding()
    {
        setDialogReaction([this](HWND, UINT message, WPARAM, LPARAM) -> INT_PTR {
            if (message == WM_VSCROLL || message == WM_HSCROLL)
                standing_.push_back(static_cast<int>(position()));
            return FALSE;
        });
    }

    std::vector<Notice> notices() const
    {
        std::vector<Notice> result;
        const std::vector<Seen> seen = logged({WM_VSCROLL, WM_HSCROLL});
        for (std::size_t i = 0; i < seen.size(); ++i) {
            EXPECT_EQ(seen[i].message, static_cast<UINT>(WM_VSCROLL)) << "a vertical trackbar reports WM_VSCROLL";
            EXPECT_EQ(reinterpret_cast<HWND>(seen[i].lParam), track_);
            result.push_back(
                {LOWORD(seen[i].wParam), HIWORD(seen[i].wParam), i < standing_.size() ? standing_[i] : -1});
        }
        return result;
    }

    LRESULT position() const { return SendMessageA(track_, TBM_GETPOS, 0, 0); }

    RECT thumb() const
    {
        RECT rect{-1, -1, -1, -1};
        SendMessageA(track_, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&rect));
        return rect;
    }

    HWND dialog_ = nullptr;
    HWND track_ = nullptr;
    std::vector<int> standing_;
};

} // namespace

TEST_F(TrackbarTest, RangePositionAndTics)
{
    EXPECT_EQ(position(), 10);
    SendMessageA(track_, TBM_SETPOS, TRUE, 200);
    EXPECT_EQ(position(), 127);
    SendMessageA(track_, TBM_SETPOS, TRUE, -3);
    EXPECT_EQ(position(), 0);
    EXPECT_EQ(SendMessageA(track_, TBM_GETRANGEMIN, 0, 0), 0);
    EXPECT_EQ(SendMessageA(track_, TBM_GETRANGEMAX, 0, 0), 127);
    EXPECT_TRUE(SendMessageA(track_, TBM_SETTIC, 0, 1));
    EXPECT_FALSE(SendMessageA(track_, TBM_SETTIC, 0, 500));
    EXPECT_EQ(SendMessageA(track_, TBM_GETPAGESIZE, 0, 0), 25) << "a fifth of the range";
    EXPECT_TRUE(notices().empty()) << "program changes send nothing";
}

TEST_F(TrackbarTest, AVerticalTrackbarHasItsMinimumAtTheTop)
{
    RECT client;
    GetClientRect(track_, &client);
    SendMessageA(track_, TBM_SETPOS, TRUE, 0);
    const RECT top = thumb();
    SendMessageA(track_, TBM_SETPOS, TRUE, 127);
    const RECT bottom = thumb();
    ASSERT_GT(top.bottom, top.top) << "the thumb has a place";
    EXPECT_LT((top.top + top.bottom) / 2, client.bottom / 2);
    EXPECT_GT((bottom.top + bottom.bottom) / 2, client.bottom / 2);
    EXPECT_EQ(bottom.left, top.left) << "it moves along its length only";
    EXPECT_EQ(bottom.bottom - bottom.top, top.bottom - top.top);
}

TEST_F(TrackbarTest, KeysMoveItAndReportAfterMoving)
{
    recordStanding();
    gui::keyClick(track_, VK_UP);
    EXPECT_EQ(position(), 9);
    gui::keyClick(track_, VK_DOWN);
    gui::keyClick(track_, VK_DOWN);
    EXPECT_EQ(position(), 11);
    gui::keyClick(track_, VK_NEXT);
    EXPECT_EQ(position(), 36);
    gui::keyClick(track_, VK_HOME);
    EXPECT_EQ(position(), 0);
    EXPECT_EQ(notices(), (std::vector<Notice>{{TB_LINEUP, 0, 9},
                                              {TB_ENDTRACK, 0, 9},
                                              {TB_LINEDOWN, 0, 10},
                                              {TB_ENDTRACK, 0, 10},
                                              {TB_LINEDOWN, 0, 11},
                                              {TB_ENDTRACK, 0, 11},
                                              {TB_PAGEDOWN, 0, 36},
                                              {TB_ENDTRACK, 0, 36},
                                              {TB_TOP, 0, 0},
                                              {TB_ENDTRACK, 0, 0}}));
}

TEST_F(TrackbarTest, DraggingTheThumbDownwardsRaisesThePosition)
{
    recordStanding();
    const RECT start = thumb();
    const int x = (start.left + start.right) / 2;
    const int y = (start.top + start.bottom) / 2;
    gui::mousePress(track_, x, y);
    gui::mouseMove(track_, x, y + 40);
    const int dragged = static_cast<int>(position());
    EXPECT_GT(dragged, 10);
    EXPECT_NEAR((thumb().top + thumb().bottom) / 2, y + 40, 2) << "the thumb follows the mouse";
    gui::mouseRelease(track_, x, y + 40);
    EXPECT_EQ(position(), dragged);

    // The drag reports its position as it moves, and again, then its end, on the release.
    const std::vector<Notice> seen = notices();
    std::size_t last = seen.size();
    for (std::size_t i = 0; i < seen.size(); ++i) {
        if (seen[i].code == TB_THUMBTRACK)
            last = i;
    }
    ASSERT_LT(last + 2, seen.size());
    EXPECT_EQ(seen[last].position, dragged);
    EXPECT_EQ(seen[last].standing, dragged) << "it has moved when it tells";
    EXPECT_EQ(seen[last + 1].code, TB_THUMBPOSITION);
    EXPECT_EQ(seen[last + 1].position, dragged);
    // Wine reports the end twice, once more when the capture goes.
    for (std::size_t i = last + 2; i < seen.size(); ++i)
        EXPECT_EQ(seen[i].code, TB_ENDTRACK);
}
