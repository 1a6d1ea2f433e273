// Window lifetime, placement, state, focus, capture, timers and texts.
#include <QApplication>
#include <QGuiApplication>
#include <QHash>
#include <QMenuBar>
#include <QTimer>

#include <functional>
#include <map>

#include "platform/qt/Controls.h"
#include "platform/qt/EventBridge.h"
#include "platform/qt/MessageQueue.h"
#include "platform/qt/WindowRecord.h"
#include "platform/win32.h"

using namespace win32qt;

namespace {

HWND captured = nullptr;

void forEachInTree(Window& window, const std::function<void(Window&)>& visit, bool parentFirst)
{
    if (parentFirst) {
        visit(window);
    }
    const std::vector<HWND> children = window.children;
    for (HWND child : children) {
        if (Window* w = findWindow(child)) {
            forEachInTree(*w, visit, parentFirst);
        }
    }
    if (!parentFirst) {
        visit(window);
    }
}

QWidget* shownWidget(Window& window)
{
    return window.isChild() ? window.widget.data() : window.frame.data();
}

int menuHeight(const Window& window)
{
    return window.menuBar != nullptr ? window.menuBar->height() : 0;
}

struct TimerKey {
    HWND hwnd;
    UINT_PTR id;
    bool operator<(const TimerKey& other) const { return hwnd != other.hwnd ? hwnd < other.hwnd : id < other.id; }
};

std::map<TimerKey, QTimer*>& timers()
{
    static std::map<TimerKey, QTimer*> all;
    return all;
}

void killTimersOf(HWND hwnd)
{
    auto& all = timers();
    for (auto it = all.begin(); it != all.end();) {
        if (it->first.hwnd == hwnd) {
            it->second->deleteLater();
            it = all.erase(it);
        } else {
            ++it;
        }
    }
}

} // namespace

namespace win32qt {

void captureFor(HWND hwnd, bool grabQtMouse)
{
    const HWND previous = captured;
    captured = hwnd;
    if (grabQtMouse) {
        if (Window* window = findWindow(hwnd); window != nullptr && window->widget != nullptr) {
            window->widget->grabMouse();
        }
    }
    if (previous != nullptr && previous != hwnd) {
        SendMessageA(previous, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hwnd));
    }
}

void giveFocus(Window& window, Qt::FocusReason reason)
{
    // An open popup list closes when the focus goes elsewhere; its box then loses the
    // focus as any window does.
    if (QWidget* popup = QApplication::activePopupWidget()) {
        if (enclosingWindow(popup->parentWidget()) != &window) {
            popup->close();
        }
    }
    // Focus in another window of the thread activates that window, at once.
    QWidget* top = window.widget->window();
    if (top->isVisible() && QApplication::activeWindow() != top) {
        top->activateWindow();
        QApplication::setActiveWindow(top);
    }
    window.widget->setFocus(reason);
}

void releaseCaptureOf(HWND hwnd)
{
    if (captured == hwnd && hwnd != nullptr) {
        ReleaseCapture();
    }
}

} // namespace win32qt

HWND WINAPI SetCapture(HWND hwnd)
{
    const HWND previous = captured;
    if (findWindow(hwnd) == nullptr) {
        return previous;
    }
    captureFor(hwnd, true);
    return previous;
}

HWND WINAPI GetCapture(void)
{
    if (captured != nullptr && findWindow(captured) == nullptr) {
        captured = nullptr;
    }
    return captured;
}

BOOL WINAPI ReleaseCapture(void)
{
    const HWND previous = captured;
    captured = nullptr;
    if (Window* window = findWindow(previous)) {
        if (window->widget != nullptr && QWidget::mouseGrabber() == window->widget) {
            window->widget->releaseMouse();
        }
        SendMessageA(previous, WM_CAPTURECHANGED, 0, 0);
    }
    return TRUE;
}

BOOL WINAPI IsWindow(HWND hwnd)
{
    return findWindow(hwnd) != nullptr ? TRUE : FALSE;
}

BOOL WINAPI DestroyWindow(HWND hwnd)
{
    Window* window = findWindow(hwnd);
    if (window == nullptr || window->destroying) {
        return FALSE;
    }
    window->destroying = true;

    // Windows it owns go first.
    for (Window* other : liveWindows()) {
        if (!other->isChild() && other->parent == hwnd && !other->destroying) {
            DestroyWindow(other->handle);
        }
    }
    if (window->disabledOwner) {
        window->disabledOwner = false;
        EnableWindow(window->parent, TRUE);
    }
    if (QWidget* shown = shownWidget(*window); shown != nullptr && !shown->isHidden()) {
        shown->hide();
    }
    if (GetCapture() != nullptr) {
        Window* holder = findWindow(GetCapture());
        for (Window* w = holder; w != nullptr; w = w->isChild() ? findWindow(w->parent) : nullptr) {
            if (w->handle == hwnd) {
                ReleaseCapture();
                break;
            }
        }
    }

    // WM_DESTROY reaches the window before its children, WM_NCDESTROY after them.
    forEachInTree(
        *window,
        [](Window& w) {
            w.destroying = true;
            killTimersOf(w.handle);
            callProc(w, WM_DESTROY, 0, 0);
        },
        true);
    if (findWindow(hwnd) == nullptr) {
        return TRUE;
    }
    std::vector<Window*> doomed;
    forEachInTree(
        *window,
        [&doomed](Window& w) {
            callProc(w, WM_NCDESTROY, 0, 0);
            doomed.push_back(&w);
        },
        false);

    if (window->isChild()) {
        if (Window* parent = findWindow(window->parent)) {
            std::erase(parent->children, hwnd);
        }
    }
    QWidget* toDelete = shownWidget(*window);
    for (Window* w : doomed) {
        unregisterWindow(*w);
    }
    deleteWidgetSafely(toDelete);
    return TRUE;
}

BOOL WINAPI ShowWindow(HWND hwnd, int command)
{
    Window* window = findWindow(hwnd);
    if (window == nullptr) {
        return FALSE;
    }
    QWidget* shown = shownWidget(*window);
    const bool wasVisible = !shown->isHidden();
    const bool show = command != SW_HIDE;
    if (show != wasVisible) {
        SendMessageA(hwnd, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
        window = findWindow(hwnd);
        if (window == nullptr) {
            return wasVisible ? TRUE : FALSE;
        }
    }
    if (show) {
        shown->show();
        if (!window->isChild() && command != SW_SHOWNA && command != SW_SHOWNOACTIVATE &&
            command != SW_SHOWMINNOACTIVE) {
            if (QGuiApplication::platformName() != QLatin1String("offscreen")) {
                shown->raise(); // the offscreen platform has no stacking and says so at length
            }
            shown->activateWindow();
        }
    } else {
        shown->hide();
    }
    return wasVisible ? TRUE : FALSE;
}

BOOL WINAPI IsWindowVisible(HWND hwnd)
{
    Window* window = findWindow(hwnd);
    if (window == nullptr) {
        return FALSE;
    }
    QWidget* shown = shownWidget(*window);
    return shown != nullptr && shown->isVisible() ? TRUE : FALSE;
}

BOOL WINAPI SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int width, int height, UINT flags)
{
    Window* window = findWindow(hwnd);
    if (window == nullptr) {
        return FALSE;
    }
    QWidget* shown = shownWidget(*window);
    const QSize oldClient = window->widget->size();
    if (!(flags & SWP_NOMOVE)) {
        shown->move(x, y);
    }
    if (!(flags & SWP_NOSIZE)) {
        if (window->isChild()) {
            window->widget->resize(width, height);
        } else {
            const int clientHeight = std::max(0, height - menuHeight(*window));
            window->frame->setFixedSize(width, height);
            window->widget->resize(width, clientHeight);
            if (window->menuBar != nullptr) {
                window->menuBar->resize(width, window->menuBar->height());
            }
        }
    }
    if (!(flags & SWP_NOZORDER)) {
        if (insertAfter == HWND_BOTTOM) {
            shown->lower();
        } else if (insertAfter == HWND_TOP || insertAfter == HWND_TOPMOST) {
            shown->raise();
        } else if (Window* above = findWindow(insertAfter)) {
            shown->stackUnder(shownWidget(*above));
        }
    }
    if (flags & SWP_SHOWWINDOW) {
        ShowWindow(hwnd, (flags & SWP_NOACTIVATE) ? SW_SHOWNA : SW_SHOW);
    } else if (flags & SWP_HIDEWINDOW) {
        ShowWindow(hwnd, SW_HIDE);
    }
    window = findWindow(hwnd);
    if (window != nullptr && window->widget->size() != oldClient) {
        const QSize client = window->widget->size();
        SendMessageA(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.width(), client.height()));
    }
    return TRUE;
}

BOOL WINAPI MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint)
{
    const BOOL moved = SetWindowPos(hwnd, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    if (moved && repaint) {
        InvalidateRect(hwnd, nullptr, TRUE);
    }
    return moved;
}

BOOL WINAPI GetWindowRect(HWND hwnd, LPRECT rect)
{
    Window* window = findWindow(hwnd);
    if (window == nullptr || rect == nullptr) {
        return FALSE;
    }
    QWidget* shown = shownWidget(*window);
    QRect area;
    if (window->isChild()) {
        area = QRect(shown->mapToGlobal(QPoint(0, 0)), shown->size());
    } else {
        area = shown->frameGeometry();
    }
    *rect = RECT{area.left(), area.top(), area.left() + area.width(), area.top() + area.height()};
    return TRUE;
}

BOOL WINAPI GetClientRect(HWND hwnd, LPRECT rect)
{
    Window* window = findWindow(hwnd);
    if (window == nullptr || rect == nullptr) {
        return FALSE;
    }
    *rect = RECT{0, 0, window->widget->width(), window->widget->height()};
    return TRUE;
}

namespace {

// Moves a point between a window's client coordinates and the screen's.
BOOL mapPoint(HWND hwnd, LPPOINT point, bool toScreen)
{
    Window* window = findWindow(hwnd);
    if (window == nullptr || point == nullptr) {
        return FALSE;
    }
    const QPoint from(point->x, point->y);
    const QPoint to = toScreen ? window->widget->mapToGlobal(from) : window->widget->mapFromGlobal(from);
    point->x = to.x();
    point->y = to.y();
    return TRUE;
}

} // namespace

BOOL WINAPI ClientToScreen(HWND hwnd, LPPOINT point)
{
    return mapPoint(hwnd, point, true);
}

BOOL WINAPI ScreenToClient(HWND hwnd, LPPOINT point)
{
    return mapPoint(hwnd, point, false);
}

BOOL WINAPI EnableWindow(HWND hwnd, BOOL enable)
{
    Window* window = findWindow(hwnd);
    if (window == nullptr) {
        return FALSE;
    }
    const bool wasDisabled = (currentStyle(*window) & WS_DISABLED) != 0;
    const bool disable = enable == FALSE;
    if (wasDisabled == disable) {
        return wasDisabled ? TRUE : FALSE;
    }
    if (window->isChild()) {
        window->widget->setEnabled(!disable);
    } else {
        // A disabled top-level window takes no input; its controls keep their looks.
        window->topLevelEnabled = !disable;
        if (window->menuBar != nullptr) {
            window->menuBar->setEnabled(!disable);
        }
    }
    SendMessageA(hwnd, WM_ENABLE, disable ? FALSE : TRUE, 0);
    return wasDisabled ? TRUE : FALSE;
}

BOOL WINAPI IsWindowEnabled(HWND hwnd)
{
    Window* window = findWindow(hwnd);
    if (window == nullptr) {
        return FALSE;
    }
    return (currentStyle(*window) & WS_DISABLED) ? FALSE : TRUE;
}

HWND WINAPI GetDlgItem(HWND dialog, int id)
{
    Window* window = findWindow(dialog);
    if (window == nullptr) {
        return nullptr;
    }
    for (HWND child : window->children) {
        Window* control = findWindow(child);
        if (control != nullptr && control->id == id) {
            return child;
        }
    }
    return nullptr;
}

int WINAPI GetDlgCtrlID(HWND hwnd)
{
    Window* window = findWindow(hwnd);
    return window != nullptr && window->isChild() ? window->id : 0;
}

HWND WINAPI GetParent(HWND hwnd)
{
    Window* window = findWindow(hwnd);
    if (window == nullptr) {
        return nullptr;
    }
    // A popup's parent is its owner.
    return findWindow(window->parent) != nullptr ? window->parent : nullptr;
}

HWND WINAPI SetFocus(HWND hwnd)
{
    const HWND previous = GetFocus();
    if (Window* window = findWindow(hwnd)) {
        giveFocus(*window, Qt::OtherFocusReason);
    }
    return previous;
}

HWND WINAPI GetFocus(void)
{
    Window* window = enclosingWindow(QApplication::focusWidget());
    return window != nullptr ? window->handle : nullptr;
}

BOOL WINAPI SetWindowTextA(HWND hwnd, LPCSTR text)
{
    if (findWindow(hwnd) == nullptr) {
        return FALSE;
    }
    return SendMessageA(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) != 0 ? TRUE : FALSE;
}

int WINAPI GetWindowTextA(HWND hwnd, LPSTR buffer, int bufferSize)
{
    if (buffer != nullptr && bufferSize > 0) {
        buffer[0] = '\0';
    }
    if (findWindow(hwnd) == nullptr) {
        return 0;
    }
    return static_cast<int>(
        SendMessageA(hwnd, WM_GETTEXT, static_cast<WPARAM>(bufferSize), reinterpret_cast<LPARAM>(buffer)));
}

int WINAPI GetWindowTextLengthA(HWND hwnd)
{
    return static_cast<int>(SendMessageA(hwnd, WM_GETTEXTLENGTH, 0, 0));
}

UINT_PTR WINAPI SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC timerProc)
{
    if (hwnd != nullptr && findWindow(hwnd) == nullptr) {
        return 0;
    }
    static UINT_PTR nextThreadTimer = 1;
    if (hwnd == nullptr) {
        id = nextThreadTimer++;
    }
    const TimerKey key{hwnd, id};
    QTimer*& timer = timers()[key];
    if (timer == nullptr) {
        timer = new QTimer;
    }
    timer->disconnect();
    timer->setInterval(static_cast<int>(std::max<UINT>(elapse, 10)));
    // WM_TIMER waits in the queue like a posted message, once per timer at most.
    QObject::connect(timer, &QTimer::timeout, timer, [hwnd, id, timerProc] {
        if (isPosted(hwnd, WM_TIMER, id)) {
            return;
        }
        PostMessageA(hwnd, WM_TIMER, id, reinterpret_cast<LPARAM>(timerProc));
    });
    timer->start();
    return id;
}

BOOL WINAPI KillTimer(HWND hwnd, UINT_PTR id)
{
    auto& all = timers();
    const auto found = all.find(TimerKey{hwnd, id});
    if (found == all.end()) {
        return FALSE;
    }
    found->second->deleteLater();
    all.erase(found);
    return TRUE;
}

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                            int height, HWND parent, HMENU menuOrId, HINSTANCE instance, LPVOID param)
{
    (void)param;
    if (className == nullptr || IS_INTRESOURCE(className) || !(style & WS_CHILD)) {
        return nullptr; // only child controls of the standard classes are made this way
    }
    const ControlClass* controlClass = findControlClass(QString::fromUtf8(className));
    Window* parentWindow = findWindow(parent);
    if (controlClass == nullptr || parentWindow == nullptr) {
        return nullptr;
    }
    Window* control = createControl(*controlClass, *parentWindow, fromUtf8(windowName), style, exStyle,
                                    QRect(x, y, width, height), static_cast<int>(reinterpret_cast<INT_PTR>(menuOrId)));
    if (control == nullptr) {
        return nullptr;
    }
    control->instance = instance;
    return control->handle;
}
