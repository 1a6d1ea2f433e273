// The trackbar of the common controls ("msctls_trackbar32"). Unlike a scroll bar it
// moves by itself and then tells its parent (WM_HSCROLL, or WM_VSCROLL when vertical)
// with a TB_ code; a vertical one has its minimum at the top.
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>

#include <algorithm>
#include <vector>

#include "platform/qt/Controls.h"
#include "platform/qt/EventBridge.h"

namespace win32qt {

namespace {

class Trackbar : public QSlider {
public:
    using QSlider::QSlider;
    std::vector<int> pendingCodes;
    bool pageSizeSet = false;
    bool thumbDragged = false;

    QRect thumbRect() const
    {
        QStyleOptionSlider option;
        initStyleOption(&option);
        return style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
    }
};

Trackbar* trackbarOf(Window& window)
{
    return dynamic_cast<Trackbar*>(window.widget.data());
}

void defaultPageSize(Trackbar& slider)
{
    if (!slider.pageSizeSet) {
        slider.setPageStep(std::max(1, (slider.maximum() - slider.minimum()) / 5));
    }
}

void notify(Window& window, int code)
{
    Window* parent = findWindow(window.parent);
    Trackbar* slider = trackbarOf(window);
    if (parent == nullptr || slider == nullptr) {
        return;
    }
    const UINT message = (window.style & TBS_VERT) ? WM_VSCROLL : WM_HSCROLL;
    const int position = (code == TB_THUMBTRACK || code == TB_THUMBPOSITION) ? slider->sliderPosition() : 0;
    callProc(*parent, message, MAKEWPARAM(code, static_cast<WORD>(position)), reinterpret_cast<LPARAM>(window.handle));
}

// Qt reports an action before the thumb has moved; the parent hears of it after.
void sendPending(HWND hwnd)
{
    Window* window = findWindow(hwnd);
    if (window == nullptr) {
        return;
    }
    std::vector<int> codes;
    codes.swap(trackbarOf(*window)->pendingCodes);
    for (int code : codes) {
        if (Window* still = findWindow(hwnd)) {
            notify(*still, code);
        }
    }
}

} // namespace

QWidget* makeTrackbar(DWORD style)
{
    const bool vertical = (style & TBS_VERT) != 0;
    auto* slider = new Trackbar(vertical ? Qt::Vertical : Qt::Horizontal);
    slider->setRange(0, 100);
    slider->setSingleStep(1);
    slider->setTracking(true);
    if (vertical) {
        slider->setInvertedAppearance(true);
        slider->setInvertedControls(true);
    }
    if (style & TBS_NOTICKS) {
        slider->setTickPosition(QSlider::NoTicks);
    } else if (style & TBS_BOTH) {
        slider->setTickPosition(QSlider::TicksBothSides);
    } else if (style & TBS_LEFT) {
        slider->setTickPosition(QSlider::TicksAbove);
    } else {
        slider->setTickPosition(QSlider::TicksBelow);
    }
    defaultPageSize(*slider);
    return slider;
}

void wireTrackbar(Window& window)
{
    Trackbar* slider = trackbarOf(window);
    QObject::connect(slider, &QAbstractSlider::actionTriggered, slider, [slider](int action) {
        const int code = scrollRequestOf(action, slider->isSliderDown());
        if (code < 0) {
            return;
        }
        if (action == QAbstractSlider::SliderMove) {
            slider->thumbDragged = code == TB_THUMBTRACK;
        }
        slider->pendingCodes.push_back(code);
    });
}

LRESULT CALLBACK trackbarProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    Window* window = findWindow(hwnd);
    if (window == nullptr) {
        return 0;
    }
    Trackbar* slider = trackbarOf(*window);
    const QSignalBlocker blocker(message >= WM_USER ? slider : nullptr);
    switch (message) {
    case TBM_GETPOS: return slider->value();
    case TBM_GETRANGEMIN: return slider->minimum();
    case TBM_GETRANGEMAX: return slider->maximum();
    case TBM_SETPOS: slider->setValue(static_cast<int>(lParam)); return 0;
    case TBM_SETRANGE:
        slider->setRange(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
        defaultPageSize(*slider);
        return 0;
    case TBM_SETRANGEMIN:
        slider->setMinimum(static_cast<int>(lParam));
        defaultPageSize(*slider);
        return 0;
    case TBM_SETRANGEMAX:
        slider->setMaximum(static_cast<int>(lParam));
        defaultPageSize(*slider);
        return 0;
    case TBM_SETTIC:
        if (static_cast<int>(lParam) < slider->minimum() || static_cast<int>(lParam) > slider->maximum()) {
            return FALSE;
        }
        window->tics.push_back(static_cast<int>(lParam));
        return TRUE;
    case TBM_GETTIC: {
        const auto index = static_cast<std::size_t>(wParam);
        return index < window->tics.size() ? window->tics[index] : -1;
    }
    case TBM_GETNUMTICS: return (window->style & TBS_NOTICKS) ? 0 : static_cast<LRESULT>(window->tics.size() + 2);
    case TBM_CLEARTICS: window->tics.clear(); return 0;
    case TBM_SETTICFREQ: slider->setTickInterval(static_cast<int>(wParam)); return 0;
    case TBM_SETPAGESIZE: {
        const int previous = slider->pageStep();
        slider->setPageStep(static_cast<int>(lParam));
        slider->pageSizeSet = true;
        return previous;
    }
    case TBM_GETPAGESIZE: return slider->pageStep();
    case TBM_SETLINESIZE: {
        const int previous = slider->singleStep();
        slider->setSingleStep(static_cast<int>(lParam));
        return previous;
    }
    case TBM_GETLINESIZE: return slider->singleStep();
    case TBM_GETTHUMBRECT:
        if (lParam != 0) {
            const QRect thumb = slider->thumbRect();
            *reinterpret_cast<RECT*>(lParam) = RECT{thumb.left(), thumb.top(), thumb.right() + 1, thumb.bottom() + 1};
        }
        return 0;
    case WM_LBUTTONDOWN:
    case WM_MOUSEMOVE:
    case WM_KEYDOWN:
        controlDefault(*window, message, wParam, lParam);
        if (!trackbarOf(*window)->pendingCodes.empty()) {
            window->trackbarActed = true;
        }
        sendPending(hwnd);
        return 0;
    case WM_LBUTTONUP:
    case WM_KEYUP:
        controlDefault(*window, message, wParam, lParam);
        // A drag ends with the thumb's position, as the system's trackbar reports it.
        if (Window* still = findWindow(hwnd); still != nullptr && message == WM_LBUTTONUP) {
            Trackbar* released = trackbarOf(*still);
            if (released->thumbDragged && !released->isSliderDown()) {
                released->thumbDragged = false;
                released->pendingCodes.push_back(TB_THUMBPOSITION);
            }
        }
        sendPending(hwnd);
        if (Window* still = findWindow(hwnd); still != nullptr && (still->trackbarActed || message == WM_LBUTTONUP)) {
            still->trackbarActed = false;
            notify(*still, TB_ENDTRACK);
        }
        return 0;
    default: return controlDefault(*window, message, wParam, lParam);
    }
}

} // namespace win32qt
