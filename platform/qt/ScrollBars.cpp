// Scroll-bar controls ("SCROLLBAR") and the scroll-bar functions.
//
// A scroll bar does not move by itself: it reports the user's request (WM_HSCROLL or
// WM_VSCROLL with an SB_ code) to its parent, and the thumb goes where the program
// then puts it. Only while the thumb is dragged does it follow the mouse.
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QWheelEvent>

#include <algorithm>

#include "platform/qt/Controls.h"
#include "platform/qt/EventBridge.h"

namespace win32qt {

namespace {

class RequestScrollBar : public QScrollBar {
public:
    using QScrollBar::QScrollBar;
    HWND hwnd = nullptr;

    QStyleOptionSlider styleOption() const
    {
        QStyleOptionSlider option;
        initStyleOption(&option);
        return option;
    }

protected:
    // The wheel belongs to the window with the focus, not to a scroll-bar control.
    void wheelEvent(QWheelEvent* event) override { event->ignore(); }
};

RequestScrollBar* barOf(Window& window)
{
    return dynamic_cast<RequestScrollBar*>(window.widget.data());
}

int highestPosition(const Window& window)
{
    const int page = window.scrollPage == 0 ? 0 : static_cast<int>(window.scrollPage) - 1;
    return std::max(window.scrollMin, window.scrollMax - page);
}

void showState(Window& window)
{
    RequestScrollBar* bar = barOf(window);
    const QSignalBlocker blocker(bar);
    bar->setRange(window.scrollMin, highestPosition(window));
    bar->setPageStep(std::max(1, static_cast<int>(window.scrollPage)));
    if (!bar->isSliderDown()) {
        bar->setSliderPosition(window.scrollPos);
    }
    bar->setValue(window.scrollPos);
}

void sendRequest(Window& window, int code, int position)
{
    Window* parent = findWindow(window.parent);
    if (parent == nullptr) {
        return;
    }
    const UINT message = (window.style & SBS_VERT) ? WM_VSCROLL : WM_HSCROLL;
    const WPARAM wParam = MAKEWPARAM(code, static_cast<WORD>(position));
    callProc(*parent, message, wParam, reinterpret_cast<LPARAM>(window.handle));
}

void onAction(HWND hwnd, int action)
{
    Window* window = findWindow(hwnd);
    if (window == nullptr) {
        return;
    }
    RequestScrollBar* bar = barOf(*window);
    const int code = scrollRequestOf(action, bar->isSliderDown());
    if (code < 0) {
        return;
    }
    window->scrollActed = true;
    if (code == SB_THUMBTRACK) {
        window->trackPos = bar->sliderPosition();
    } else {
        // Qt has moved the thumb already; it goes back until the program moves it.
        const QSignalBlocker blocker(bar);
        bar->setSliderPosition(window->scrollPos);
    }
    sendRequest(*window, code, code == SB_THUMBTRACK || code == SB_THUMBPOSITION ? window->trackPos : 0);
}

// The end of a press, a drag or a key: the thumb position first when it was dragged.
void endRequests(Window& window)
{
    if (!window.scrollActed) {
        return;
    }
    window.scrollActed = false;
    const HWND hwnd = window.handle;
    sendRequest(window, SB_ENDSCROLL, 0);
    if (Window* still = findWindow(hwnd)) {
        still->trackPos = still->scrollPos;
    }
}

LRESULT setScrollInfo(Window& window, const SCROLLINFO* info)
{
    if (info == nullptr) {
        return 0;
    }
    if (info->fMask & SIF_RANGE) {
        window.scrollMin = info->nMin;
        window.scrollMax = std::max(info->nMin, info->nMax);
    }
    if (info->fMask & SIF_PAGE) {
        const auto span = static_cast<UINT>(window.scrollMax - window.scrollMin + 1);
        window.scrollPage = std::min(info->nPage, span);
    }
    if (info->fMask & SIF_POS) {
        window.scrollPos = info->nPos;
    }
    window.scrollPos = std::clamp(window.scrollPos, window.scrollMin, highestPosition(window));
    if (!barOf(window)->isSliderDown()) {
        window.trackPos = window.scrollPos;
    }
    showState(window);
    return window.scrollPos;
}

LRESULT getScrollInfo(Window& window, SCROLLINFO* info)
{
    if (info == nullptr) {
        return FALSE;
    }
    if (info->fMask & SIF_RANGE) {
        info->nMin = window.scrollMin;
        info->nMax = window.scrollMax;
    }
    if (info->fMask & SIF_PAGE) {
        info->nPage = window.scrollPage;
    }
    if (info->fMask & SIF_POS) {
        info->nPos = window.scrollPos;
    }
    if (info->fMask & SIF_TRACKPOS) {
        info->nTrackPos = window.trackPos;
    }
    return (info->fMask & SIF_ALL) != 0 ? TRUE : FALSE;
}

// The thumb as the style draws it: its length (the member's name notwithstanding) and
// its ends along the bar, from the bar's own corner.
LRESULT getScrollBarInfo(Window& window, SCROLLBARINFO* info)
{
    if (info == nullptr || info->cbSize != sizeof(SCROLLBARINFO)) {
        return FALSE;
    }
    RequestScrollBar* bar = barOf(window);
    const QStyleOptionSlider option = bar->styleOption();
    const QRect thumb = bar->style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, bar);
    const QPoint corner = bar->mapToGlobal(QPoint(0, 0));
    const bool vertical = bar->orientation() == Qt::Vertical;
    info->rcScrollBar = RECT{corner.x(), corner.y(), corner.x() + bar->width(), corner.y() + bar->height()};
    info->dxyLineButton = vertical ? thumb.height() : thumb.width();
    info->xyThumbTop = vertical ? thumb.top() : thumb.left();
    info->xyThumbBottom = vertical ? thumb.bottom() + 1 : thumb.right() + 1;
    info->reserved = 0;
    for (DWORD& state : info->rgstate) {
        state = 0;
    }
    return TRUE;
}

Window* scrollBarControl(HWND hwnd, int bar)
{
    Window* window = findWindow(hwnd);
    // Only scroll-bar controls exist here; windows carry no standard scroll bars.
    if (window == nullptr || bar != SB_CTL || window->kind != WindowKind::ScrollBar) {
        return nullptr;
    }
    return window;
}

} // namespace

QWidget* makeScrollBar(DWORD style)
{
    auto* bar = new RequestScrollBar((style & SBS_VERT) ? Qt::Vertical : Qt::Horizontal);
    bar->setTracking(false);
    bar->setRange(0, 100);
    bar->setSingleStep(1);
    return bar;
}

void wireScrollBar(Window& window)
{
    RequestScrollBar* bar = barOf(window);
    bar->hwnd = window.handle;
    const HWND hwnd = window.handle;
    QObject::connect(bar, &QAbstractSlider::actionTriggered, bar, [hwnd](int action) { onAction(hwnd, action); });
    // Without tracking Qt reports a dragged thumb only by this signal.
    QObject::connect(bar, &QAbstractSlider::sliderMoved, bar, [hwnd](int position) {
        if (Window* w = findWindow(hwnd)) {
            w->scrollActed = true;
            w->trackPos = position;
            sendRequest(*w, SB_THUMBTRACK, position);
        }
    });
    showState(window);
}

LRESULT CALLBACK scrollBarProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    Window* window = findWindow(hwnd);
    if (window == nullptr) {
        return 0;
    }
    switch (message) {
    case SBM_SETSCROLLINFO: return setScrollInfo(*window, reinterpret_cast<const SCROLLINFO*>(lParam));
    case SBM_GETSCROLLINFO: return getScrollInfo(*window, reinterpret_cast<SCROLLINFO*>(lParam));
    case SBM_GETSCROLLBARINFO: return getScrollBarInfo(*window, reinterpret_cast<SCROLLBARINFO*>(lParam));
    case SBM_SETPOS: {
        const int previous = window->scrollPos;
        SCROLLINFO info{sizeof(SCROLLINFO), SIF_POS, 0, 0, 0, static_cast<int>(wParam), 0};
        setScrollInfo(*window, &info);
        return previous;
    }
    case SBM_GETPOS: return window->scrollPos;
    case SBM_SETRANGE:
    case SBM_SETRANGEREDRAW: {
        const int previous = window->scrollPos;
        SCROLLINFO info{sizeof(SCROLLINFO), SIF_RANGE, static_cast<int>(wParam), static_cast<int>(lParam), 0, 0, 0};
        setScrollInfo(*window, &info);
        return previous;
    }
    case SBM_GETRANGE:
        if (wParam != 0) {
            *reinterpret_cast<int*>(wParam) = window->scrollMin;
        }
        if (lParam != 0) {
            *reinterpret_cast<int*>(lParam) = window->scrollMax;
        }
        return 0;
    case WM_LBUTTONDOWN: window->scrollActed = false; return controlDefault(*window, message, wParam, lParam);
    case WM_LBUTTONUP:
    case WM_KEYUP:
        controlDefault(*window, message, wParam, lParam);
        if (Window* still = findWindow(hwnd)) {
            endRequests(*still);
        }
        return 0;
    default: return controlDefault(*window, message, wParam, lParam);
    }
}

} // namespace win32qt

using namespace win32qt;

int WINAPI SetScrollInfo(HWND hwnd, int bar, LPCSCROLLINFO info, BOOL redraw)
{
    if (scrollBarControl(hwnd, bar) == nullptr) {
        return 0;
    }
    return static_cast<int>(
        SendMessageA(hwnd, SBM_SETSCROLLINFO, static_cast<WPARAM>(redraw), reinterpret_cast<LPARAM>(info)));
}

BOOL WINAPI GetScrollInfo(HWND hwnd, int bar, LPSCROLLINFO info)
{
    if (scrollBarControl(hwnd, bar) == nullptr) {
        return FALSE;
    }
    return static_cast<BOOL>(SendMessageA(hwnd, SBM_GETSCROLLINFO, 0, reinterpret_cast<LPARAM>(info)));
}

int WINAPI SetScrollPos(HWND hwnd, int bar, int pos, BOOL redraw)
{
    if (scrollBarControl(hwnd, bar) == nullptr) {
        return 0;
    }
    return static_cast<int>(SendMessageA(hwnd, SBM_SETPOS, static_cast<WPARAM>(pos), redraw));
}

int WINAPI GetScrollPos(HWND hwnd, int bar)
{
    if (scrollBarControl(hwnd, bar) == nullptr) {
        return 0;
    }
    return static_cast<int>(SendMessageA(hwnd, SBM_GETPOS, 0, 0));
}

BOOL WINAPI SetScrollRange(HWND hwnd, int bar, int minPos, int maxPos, BOOL redraw)
{
    if (scrollBarControl(hwnd, bar) == nullptr) {
        return FALSE;
    }
    SendMessageA(hwnd, redraw ? SBM_SETRANGEREDRAW : SBM_SETRANGE, static_cast<WPARAM>(minPos), maxPos);
    return TRUE;
}

BOOL WINAPI GetScrollBarInfo(HWND hwnd, LONG object, PSCROLLBARINFO info)
{
    // Windows here carry no standard scroll bars: only a control answers, for its client.
    if (object != OBJID_CLIENT || scrollBarControl(hwnd, SB_CTL) == nullptr) {
        return FALSE;
    }
    return static_cast<BOOL>(SendMessageA(hwnd, SBM_GETSCROLLBARINFO, 0, reinterpret_cast<LPARAM>(info)));
}
