// Mouse and key messages as the user causes them, mouse capture, and painting with
// brushes in WM_PAINT.
#include "GuiDriver.h"
#include "RecordingWindows.h"

#include <gtest/gtest.h>

using namespace recording;

namespace {

using InputPaintTest = WindowTest;

short xOf(LPARAM lParam)
{
    return static_cast<short>(LOWORD(lParam));
}

short yOf(LPARAM lParam)
{
    return static_cast<short>(HIWORD(lParam));
}

int paintCount = 0;

// Paints the whole area in the desktop colour, a 4 x 4 corner in a brush of its own
// and a black stripe, and passes nothing on.
LRESULT paintingProc(WNDPROC previous, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_PAINT)
        return CallWindowProcA(previous, hwnd, message, wParam, lParam);
    ++paintCount;
    RECT client;
    GetClientRect(hwnd, &client);
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(hwnd, &paint);
    FillRect(dc, &client, reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BACKGROUND + 1)));
    const HBRUSH own = CreateSolidBrush(RGB(128, 255, 255));
    const RECT corner{0, 0, 4, 4};
    FillRect(dc, &corner, own);
    const RECT stripe{0, 6, client.right, 8};
    FillRect(dc, &stripe, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    EndPaint(hwnd, &paint);
    DeleteObject(own);
    return 0;
}

COLORREF pixel(HWND hwnd, int x, int y)
{
    const HDC dc = GetDC(hwnd);
    const COLORREF colour = GetPixel(dc, x, y);
    ReleaseDC(hwnd, dc);
    return colour;
}

} // namespace

TEST_F(InputPaintTest, MouseMessagesCarryButtonsShiftAndClientCoordinatesOutsideTheCapturingWindow)
{
    const HWND dialog = openDialog(101);
    const HWND view = GetDlgItem(dialog, 1001);
    // As a program that drags does: the window takes the mouse while the button is down.
    subclass(view, [](WNDPROC previous, HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == WM_RBUTTONDOWN)
            SetCapture(h);
        if (m == WM_RBUTTONUP)
            ReleaseCapture();
        return CallWindowProcA(previous, h, m, w, l);
    });
    clearLog();
    RECT client;
    GetClientRect(view, &client);
    gui::mousePress(view, 10, 20, true, true);
    gui::mouseMove(view, -5, -7);
    gui::mouseMove(view, client.right + 30, 3);
    gui::mouseRelease(view, -40, 2, true, true);

    const auto seen = loggedAt(view, {WM_RBUTTONDOWN, WM_MOUSEMOVE, WM_RBUTTONUP});
    ASSERT_GE(seen.size(), 4u);
    EXPECT_EQ(seen[0].message, static_cast<UINT>(WM_RBUTTONDOWN));
    EXPECT_EQ(seen[0].wParam, static_cast<WPARAM>(MK_RBUTTON | MK_SHIFT));
    EXPECT_EQ(xOf(seen[0].lParam), 10);
    EXPECT_EQ(yOf(seen[0].lParam), 20);
    const Seen& left = seen[seen.size() - 3];
    EXPECT_EQ(left.message, static_cast<UINT>(WM_MOUSEMOVE));
    EXPECT_TRUE(left.wParam & MK_RBUTTON);
    EXPECT_EQ(xOf(left.lParam), -5);
    EXPECT_EQ(yOf(left.lParam), -7);
    EXPECT_EQ(xOf(seen[seen.size() - 2].lParam), client.right + 30);
    EXPECT_EQ(seen.back().message, static_cast<UINT>(WM_RBUTTONUP));
    EXPECT_EQ(seen.back().wParam, static_cast<WPARAM>(MK_SHIFT));
    EXPECT_EQ(xOf(seen.back().lParam), -40);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(InputPaintTest, ANotifyingStaticTellsOfClicksAndAnotherLetsThemThrough)
{
    const HWND dialog = openDialog(101);
    clearLog();
    gui::clickAt(GetDlgItem(dialog, 1001), 3, 3);
    const auto commands = loggedAt(dialog, {WM_COMMAND});
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0].wParam, MAKEWPARAM(1001, STN_CLICKED));

    // The click on a static without SS_NOTIFY reaches the dialog under it.
    clearLog();
    RECT label;
    GetWindowRect(GetDlgItem(dialog, 1019), &label);
    POINT at{label.left + 2, label.top + 2};
    ScreenToClient(dialog, &at);
    gui::clickAt(dialog, at.x, at.y);
    const auto presses = loggedAt(dialog, {WM_LBUTTONDOWN});
    ASSERT_EQ(presses.size(), 1u);
    EXPECT_EQ(xOf(presses[0].lParam), at.x);
    EXPECT_EQ(yOf(presses[0].lParam), at.y);
}

TEST_F(InputPaintTest, CaptureSendsTheMouseToItsWindowAndTellsWhenItEnds)
{
    const HWND dialog = openDialog(101);
    const HWND view = GetDlgItem(dialog, 1001);
    const HWND frame = GetDlgItem(dialog, 1022);
    recordingSubclass(view);
    recordingSubclass(frame);
    EXPECT_EQ(SetCapture(view), nullptr);
    EXPECT_EQ(GetCapture(), view);
    clearLog();
    // The mouse over the dialog's top corner goes to the view, above its client area.
    gui::mouseMove(dialog, 4, 4);
    // On a display server the pointer moves as an event of its own.
    EXPECT_TRUE(gui::waitFor([view] { return !loggedAt(view, {WM_MOUSEMOVE}).empty(); }, 2000));
    const auto moves = loggedAt(view, {WM_MOUSEMOVE});
    ASSERT_FALSE(moves.empty());
    EXPECT_LT(yOf(moves.back().lParam), 0);

    EXPECT_EQ(SetCapture(frame), view);
    const auto changed = loggedAt(view, {WM_CAPTURECHANGED});
    ASSERT_EQ(changed.size(), 1u);
    EXPECT_EQ(reinterpret_cast<HWND>(changed[0].lParam), frame);
    EXPECT_TRUE(ReleaseCapture());
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(loggedAt(frame, {WM_CAPTURECHANGED}).size(), 1u);
}

TEST_F(InputPaintTest, KeysReachTheFocusedControlWithTheirFlags)
{
    const HWND dialog = openDialog(101);
    const HWND field = GetDlgItem(dialog, 1003);
    recordingSubclass(field);
    clearLog();
    gui::keyClick(field, 'A');
    gui::keyClick(field, VK_LEFT);
    const auto keys = loggedAt(field, {WM_KEYDOWN, WM_KEYUP});
    ASSERT_EQ(keys.size(), 4u);
    EXPECT_EQ(keys[0].message, static_cast<UINT>(WM_KEYDOWN));
    EXPECT_EQ(keys[0].wParam, static_cast<WPARAM>('A'));
    EXPECT_EQ(static_cast<DWORD>(keys[0].lParam) & 0xC000FFFFu, 1u) << "repeat 1, key was up, is down";
    EXPECT_EQ(keys[1].message, static_cast<UINT>(WM_KEYUP));
    EXPECT_EQ(static_cast<DWORD>(keys[1].lParam) & 0xC000FFFFu, 0xC0000001u);
    EXPECT_EQ(keys[2].wParam, static_cast<WPARAM>(VK_LEFT));
    EXPECT_TRUE(static_cast<DWORD>(keys[2].lParam) & (1u << 24)) << "arrow keys are extended keys";
    char text[8];
    GetWindowTextA(field, text, sizeof text);
    EXPECT_STREQ(text, "a") << "the edit typed what reached it";
}

TEST_F(InputPaintTest, PaintingWithStockSolidAndSystemColourBrushes)
{
    const HWND dialog = openDialog(101);
    const HWND panel = GetDlgItem(dialog, 1022);
    paintCount = 0;
    subclass(panel, paintingProc);
    InvalidateRect(panel, nullptr, FALSE);
    UpdateWindow(panel);
    EXPECT_EQ(paintCount, 1) << "UpdateWindow paints what is invalid at once";
    UpdateWindow(panel);
    EXPECT_EQ(paintCount, 1) << "nothing is invalid any more";

    EXPECT_EQ(pixel(panel, 30, 20), GetSysColor(COLOR_BACKGROUND));
    EXPECT_EQ(pixel(panel, 1, 1), 0xFFFF80u) << "red 128, green 255, blue 255";
    EXPECT_EQ(pixel(panel, 30, 7), RGB(0, 0, 0));
    EXPECT_EQ(pixel(panel, 100000, 7), CLR_INVALID);
}

TEST_F(InputPaintTest, BrushesAreDeletedOnceAndPaintOutsideAPaintMessageOnlyValidates)
{
    const HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    EXPECT_TRUE(DeleteObject(brush));
    EXPECT_FALSE(DeleteObject(brush));
    EXPECT_TRUE(DeleteObject(GetStockObject(GRAY_BRUSH))) << "deleting a stock object does no harm";
    EXPECT_NE(GetStockObject(WHITE_BRUSH), GetStockObject(BLACK_BRUSH));

    const HWND dialog = openDialog(101);
    const HWND panel = GetDlgItem(dialog, 1022);
    paintCount = 0;
    subclass(panel, paintingProc);
    EXPECT_EQ(SendMessageA(panel, WM_PAINT, 0, 0), 0);
    EXPECT_EQ(paintCount, 1);

    // What is invalid is what BeginPaint reports, and after it nothing is.
    RECT client;
    GetClientRect(panel, &client);
    InvalidateRect(panel, nullptr, FALSE);
    PAINTSTRUCT paint;
    ASSERT_NE(BeginPaint(panel, &paint), nullptr);
    EXPECT_EQ(paint.rcPaint.right, client.right);
    EXPECT_EQ(paint.rcPaint.bottom, client.bottom);
    EXPECT_FALSE(paint.fErase);
    EXPECT_TRUE(EndPaint(panel, &paint));
    ASSERT_NE(BeginPaint(panel, &paint), nullptr);
    EXPECT_EQ(paint.rcPaint.right - paint.rcPaint.left, 0) << "the window was validated";
    EXPECT_TRUE(EndPaint(panel, &paint));
    UpdateWindow(panel);
    EXPECT_EQ(paintCount, 1);
}
