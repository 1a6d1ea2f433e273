#include "editor/WaveView.h"

#include "resources/resource.h"
#include "synth/PlayingWaveEdit.h"

#include <algorithm>
#include <cstdlib>

namespace {

int pointerX(LPARAM lParam)
{
    return static_cast<short>(LOWORD(lParam));
}
int pointerY(LPARAM lParam)
{
    return static_cast<short>(HIWORD(lParam));
}

// The row where the bar of value v ends: 127 is row 0, 0 is row 254, -128 row 510.
int levelRow(int value)
{
    return (127 - value) * 2;
}
// The value whose bar ends at row y: the inverse of levelRow, two rows a value.
int rowLevel(int y)
{
    return 127 - y / 2;
}

} // namespace

void WaveView::setWaveform(WaveRef newBlock, std::int32_t count)
{
    block = std::move(newBlock);
    samples = block != nullptr ? block->samples.data() : nullptr;
    // Never more samples than the block holds, whatever the tone says.
    const auto available = block != nullptr ? static_cast<std::int64_t>(block->samples.size()) : 0;
    sampleCount = static_cast<std::int32_t>(std::clamp<std::int64_t>(count, 0, available));
    scrollPos = std::min(scrollPos, sampleCount);
    selStart = 0;
    selEnd = 0;
    repaint();
}

void WaveView::setScrollPos(std::int32_t position)
{
    scrollPos = std::clamp(position, 0, sampleCount);
    repaint();
}

void WaveView::clearSelection()
{
    selStart = 0;
    selEnd = 0;
    repaint();
}

void WaveView::selectAll()
{
    selStart = 0;
    selEnd = sampleCount;
    repaint();
}

void WaveView::setZoom(std::int32_t z)
{
    // The field takes any number; a column is at least one pixel wide, and a negative
    // width would turn the view's positions before its wave.
    if (z < 1)
        return;
    zoom = z;
    repaint();
}

void WaveView::getSelection(std::int32_t& start, std::int32_t& end) const
{
    start = selStart;
    end = selEnd;
}

void WaveView::setPencilMode(std::int32_t mode)
{
    pencilMode = mode;
}

LRESULT WaveView::windowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT: paint(); return 0;
    case WM_LBUTTONDOWN: pencil(pointerX(lParam), pointerY(lParam)); return 0;
    case WM_MOUSEMOVE:
        if (wParam & MK_RBUTTON) {
            dragSelection(pointerX(lParam));
            return 0;
        }
        if (wParam & MK_LBUTTON) {
            pencil(pointerX(lParam), pointerY(lParam));
            return 0;
        }
        break;
    case WM_RBUTTONDOWN: startSelection(pointerX(lParam), wParam); return 0;
    case WM_RBUTTONUP: endSelection(pointerX(lParam)); return 0;
    default: break;
    }
    return Control::windowProc(message, wParam, lParam);
}

std::int64_t WaveView::index(int x) const
{
    return std::int64_t{x} / zoom + scrollPos;
}

void WaveView::repaint()
{
    if (hwnd != nullptr)
        InvalidateRect(hwnd, nullptr, FALSE);
}

void WaveView::paint()
{
    RECT client{};
    GetClientRect(hwnd, &client);
    auto* white = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    auto* gray = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    auto* black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    HBRUSH selected = CreateSolidBrush(selectionColour);
    PAINTSTRUCT paintInfo;
    HDC dc = BeginPaint(hwnd, &paintInfo);

    if (sampleCount < 1 || samples == nullptr) {
        FillRect(dc, &client, black);
    } else {
        const int columns = client.right / zoom;
        for (int i = 0; i < columns; ++i) {
            const std::int64_t pos = static_cast<std::int64_t>(i) + scrollPos;
            int value;
            HBRUSH bar;
            HBRUSH background = black;
            if (pos >= selStart && pos < selEnd) {
                value = samples[pos];
                bar = selected;
                background = gray;
            } else if (pos >= sampleCount) {
                // Past the end the wave repeats, as a looping tone plays it.
                value = samples[pos % sampleCount];
                bar = gray;
            } else {
                value = samples[pos];
                bar = white;
            }
            const int left = i * zoom;
            const RECT column{left, 0, left + zoom, drawHeight};
            FillRect(dc, &column, background);
            const int row = levelRow(value);
            const RECT barRect =
                value >= 0 ? RECT{left, row, left + zoom, zeroRow} : RECT{left, zeroRow, left + zoom, row};
            if (barRect.top < barRect.bottom)
                FillRect(dc, &barRect, bar);
        }
    }

    EndPaint(hwnd, &paintInfo);
    DeleteObject(selected);
}

void WaveView::pencil(int x, int y)
{
    if (x < 0 || y < 0 || y >= drawHeight || samples == nullptr || sampleCount == 0)
        return;
    // A position past the end edits the repeated wave's sample.
    const auto pos = static_cast<std::int32_t>(index(x) % sampleCount);
    const int drawn = rowLevel(y);
    const int old = samples[pos];
    const bool write = (pencilMode == raiseOnly && std::abs(old) < std::abs(drawn)) ||
                       (pencilMode == lowerOnly && std::abs(old) > std::abs(drawn)) || pencilMode == overwrite;
    if (write) {
        if (device != nullptr)
            writePlayingSample(*device, *block, static_cast<std::size_t>(pos), static_cast<std::int8_t>(drawn));
        else
            samples[pos] = static_cast<std::int8_t>(drawn);
    }
    repaint();
}

void WaveView::startSelection(int x, WPARAM keys)
{
    SetCapture(hwnd);
    // Shift over a selection goes on from its old anchor.
    if ((keys & MK_SHIFT) && selStart != selEnd)
        return;
    const auto at = static_cast<std::int32_t>(std::clamp<std::int64_t>(index(x), 0, sampleCount));
    selStart = at;
    selEnd = at;
    anchor = at;
}

void WaveView::dragSelection(int x)
{
    if (GetCapture() != hwnd)
        return;
    RECT client{};
    GetClientRect(hwnd, &client);
    if (x < 0) {
        if (scrollPos > 0) {
            scrollPos = scrollPos <= autoScrollStep ? 0 : scrollPos - autoScrollStep;
            repaint();
        }
        x = 0;
    } else if (x > client.right) {
        if (scrollPos < sampleCount) {
            scrollPos = scrollPos >= sampleCount - autoScrollStep ? sampleCount : scrollPos + autoScrollStep;
            repaint();
        }
        x = client.right;
    }
    const std::int64_t at = index(x);
    if (at >= sampleCount) {
        selEnd = sampleCount;
    } else if (at <= anchor) {
        selStart = static_cast<std::int32_t>(std::max<std::int64_t>(at, 0));
        selEnd = anchor;
    } else {
        selStart = anchor;
        selEnd = static_cast<std::int32_t>(at + 1);
    }
    reportSelectedCount();
    repaint();
}

void WaveView::endSelection(int x)
{
    dragSelection(x);
    ReleaseCapture();
    reportSelectedCount();
}

void WaveView::reportSelectedCount()
{
    SetDlgItemInt(GetParent(hwnd), IDC_SELECTED_COUNT, static_cast<UINT>(selEnd - selStart), FALSE);
}
