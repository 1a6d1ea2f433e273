#include "editor/EnvelopeView.h"

// Levels wrap as the 32-bit registers of the voice do.
#include "audio/Wrapping.h"
#include "synth/VoiceState.h"

#include <algorithm>
#include <climits>

void EnvelopeView::setTone(const ToneRecord& newTone)
{
    tone = newTone;
    if (hwnd != nullptr)
        InvalidateRect(hwnd, nullptr, FALSE);
}

LRESULT EnvelopeView::windowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        paint();
        return 0;
    }
    return Control::windowProc(message, wParam, lParam);
}

bool EnvelopeView::nextSegment()
{
    level = target;
    switch (phase) {
    case 0:
        phase = 1;
        step = wrapNeg(tone.DR);
        target = tone.NL;
        return true;
    case 1:
        phase = 2;
        step = wrapNeg(tone.NR);
        target = tone.SL;
        return true;
    case 2:
        phase = 3;
        step = wrapNeg(tone.SR);
        target = 0;
        return true;
    default:
        phase = 0;
        step = 0;
        target = INT32_MIN;
        return false;
    }
}

void EnvelopeView::paint()
{
    RECT client{};
    GetClientRect(hwnd, &client);
    const int width = client.right;
    const int height = client.bottom;
    auto* white = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    auto* black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    PAINTSTRUCT paintInfo;
    HDC dc = BeginPaint(hwnd, &paintInfo);

    phase = 0;
    level = 0;
    step = tone.AR;
    target = tone.DL;
    int column = 0;
    bool ended = false;
    for (; column < width; ++column) {
        for (int tick = 0; tick < ticksPerColumn; ++tick) {
            level = wrapAdd(level, step);
            if ((step > 0 && level >= target) || (step < 0 && level <= target)) {
                if (!nextSegment()) {
                    ended = true;
                    break;
                }
            }
        }
        if (ended)
            break;
        // The product wraps at 32 bits, as the level register's arithmetic does.
        const auto product = static_cast<std::int32_t>(static_cast<std::int64_t>(level) * height);
        const int y = std::clamp(height - product / fullScaleLevel, 0, height);
        const RECT above{column, 0, column + 1, y};
        const RECT below{column, y, column + 1, height};
        FillRect(dc, &above, black);
        FillRect(dc, &below, white);
    }
    if (column < width) {
        const RECT rest{column, 0, width, height};
        FillRect(dc, &rest, black);
    }
    EndPaint(hwnd, &paintInfo);
}
