// Window procedures, sent and posted messages, the message loop, window slots.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QEvent>

#include <deque>

#include "platform/qt/Controls.h"
#include "platform/qt/EventBridge.h"
#include "platform/qt/Dialogs.h"
#include "platform/qt/MessageQueue.h"
#include "platform/qt/WindowRecord.h"
#include "platform/win32.h"

using namespace win32qt;

namespace {

std::deque<MSG> postedMessages;
bool quitPosted = false;
int quitCode = 0;
int ownLoopsWaiting = 0;
bool wakePosted = false;

DWORD messageTime()
{
    static QElapsedTimer clock = [] {
        QElapsedTimer started;
        started.start();
        return started;
    }();
    return static_cast<DWORD>(clock.elapsed());
}

bool isInFamily(HWND candidate, HWND ancestor)
{
    for (Window* w = findWindow(candidate); w != nullptr; w = w->isChild() ? findWindow(w->parent) : nullptr) {
        if (w->handle == ancestor) {
            return true;
        }
    }
    return false;
}

bool matches(const MSG& msg, HWND hwnd, UINT filterMin, UINT filterMax)
{
    if (hwnd == reinterpret_cast<HWND>(-1)) {
        if (msg.hwnd != nullptr) {
            return false;
        }
    } else if (hwnd != nullptr && !isInFamily(msg.hwnd, hwnd)) {
        return false;
    }
    if (filterMin == 0 && filterMax == 0) {
        return true;
    }
    return msg.message >= filterMin && msg.message <= filterMax;
}

void dispatchAllPosted()
{
    while (!postedMessages.empty()) {
        MSG msg = postedMessages.front();
        postedMessages.pop_front();
        DispatchMessageA(&msg);
    }
}

// Receives the wake-up events that PostMessageA sends through Qt's queue.
class QueueWaker : public QObject {
public:
    bool event(QEvent* event) override
    {
        if (event->type() != QEvent::User) {
            return QObject::event(event);
        }
        wakePosted = false;
        if (ownLoopsWaiting == 0) {
            dispatchAllPosted();
        }
        return true;
    }
};

QueueWaker& waker()
{
    static QueueWaker* instance = new QueueWaker;
    return *instance;
}

class OwnLoopScope {
public:
    OwnLoopScope() { ++ownLoopsWaiting; }
    ~OwnLoopScope() { --ownLoopsWaiting; }
    OwnLoopScope(const OwnLoopScope&) = delete;
    OwnLoopScope& operator=(const OwnLoopScope&) = delete;
};

} // namespace

namespace win32qt {

bool takePostedMessage(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, bool remove)
{
    for (auto it = postedMessages.begin(); it != postedMessages.end(); ++it) {
        if (matches(*it, hwnd, filterMin, filterMax)) {
            *msg = *it;
            if (remove) {
                postedMessages.erase(it);
            }
            return true;
        }
    }
    if (quitPosted && ((filterMin == 0 && filterMax == 0) || (WM_QUIT >= filterMin && WM_QUIT <= filterMax))) {
        *msg = MSG{};
        msg->message = WM_QUIT;
        msg->wParam = static_cast<WPARAM>(quitCode);
        msg->time = messageTime();
        if (remove) {
            quitPosted = false;
        }
        return true;
    }
    return false;
}

bool isPosted(HWND hwnd, UINT message, WPARAM wParam)
{
    for (const MSG& msg : postedMessages) {
        if (msg.hwnd == hwnd && msg.message == message && msg.wParam == wParam) {
            return true;
        }
    }
    return false;
}

void waitForEvents()
{
    deletePendingWidgets();
    OwnLoopScope scope;
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

void processPendingEvents()
{
    OwnLoopScope scope;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void wakeMessageLoop()
{
    if (!wakePosted) {
        wakePosted = true;
        QCoreApplication::postEvent(&waker(), new QEvent(QEvent::User));
    }
}

ForeignLoopScope::ForeignLoopScope() : savedDepth_(ownLoopsWaiting)
{
    ownLoopsWaiting = 0;
    if (!postedMessages.empty()) {
        wakeMessageLoop();
    }
}

ForeignLoopScope::~ForeignLoopScope()
{
    ownLoopsWaiting = savedDepth_;
}

} // namespace win32qt

LRESULT WINAPI CallWindowProcA(WNDPROC prevProc, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (prevProc == nullptr) {
        return 0;
    }
    return prevProc(hwnd, message, wParam, lParam);
}

LRESULT WINAPI DefWindowProcA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    Window* window = findWindow(hwnd);
    if (window == nullptr) {
        return 0;
    }
    switch (message) {
    case WM_CLOSE: DestroyWindow(hwnd); return 0;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE) {
            SendMessageA(hwnd, WM_CLOSE, 0, 0);
        }
        return 0;
    case WM_SETTEXT: setWindowText(*window, fromUtf8(reinterpret_cast<LPCSTR>(lParam))); return TRUE;
    case WM_GETTEXT:
        return copyText(windowText(*window).toStdString(), reinterpret_cast<LPSTR>(lParam), static_cast<int>(wParam));
    case WM_GETTEXTLENGTH: return static_cast<LRESULT>(windowText(*window).toUtf8().size());
    case WM_PAINT:
        // A plain window's own painting is its background; controls are drawn only by
        // their class procedure.
        if (window->kind == WindowKind::Dialog || window->kind == WindowKind::Generic) {
            letQtHandle(*window, message, wParam, lParam);
        }
        return 0;
    default: return 0;
    }
}

LRESULT WINAPI SendMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    Window* window = findWindow(hwnd);
    if (window == nullptr) {
        return 0;
    }
    return callProc(*window, message, wParam, lParam);
}

LRESULT WINAPI SendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam)
{
    return SendMessageA(GetDlgItem(dialog, id), message, wParam, lParam);
}

BOOL WINAPI PostMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (hwnd != nullptr && findWindow(hwnd) == nullptr) {
        return FALSE;
    }
    MSG msg{};
    msg.hwnd = hwnd;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    msg.time = messageTime();
    postedMessages.push_back(msg);
    wakeMessageLoop();
    return TRUE;
}

BOOL WINAPI GetMessageA(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax)
{
    if (msg == nullptr) {
        return -1;
    }
    if (hwnd != nullptr && hwnd != reinterpret_cast<HWND>(-1) && findWindow(hwnd) == nullptr) {
        return -1;
    }
    while (!takePostedMessage(msg, hwnd, filterMin, filterMax, true)) {
        waitForEvents();
    }
    return msg->message == WM_QUIT ? FALSE : TRUE;
}

BOOL WINAPI PeekMessageA(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags)
{
    if (msg == nullptr) {
        return FALSE;
    }
    processPendingEvents();
    return takePostedMessage(msg, hwnd, filterMin, filterMax, (removeFlags & PM_REMOVE) != 0) ? TRUE : FALSE;
}

BOOL WINAPI TranslateMessage(const MSG* msg)
{
    // The user's typing gets its WM_CHAR from the event bridge, which sends the key and
    // then its character at once; a key posted by the program gets its character here.
    // The result tells whether the message was a key message.
    if (msg == nullptr) {
        return FALSE;
    }
    if (msg->message == WM_KEYDOWN) {
        const WPARAM key = msg->wParam;
        const bool shift = (QGuiApplication::queryKeyboardModifiers() & Qt::ShiftModifier) != 0;
        WPARAM character = 0;
        if ((key >= '0' && key <= '9') || key == VK_SPACE) {
            character = key;
        } else if (key >= 'A' && key <= 'Z') {
            character = shift ? key : key - 'A' + 'a';
        }
        if (character != 0) {
            PostMessageA(msg->hwnd, WM_CHAR, character, msg->lParam);
        }
    }
    return (msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN) ? TRUE : FALSE;
}

LRESULT WINAPI DispatchMessageA(const MSG* msg)
{
    if (msg == nullptr || msg->hwnd == nullptr) {
        return 0;
    }
    if (msg->message == WM_TIMER && msg->lParam != 0) {
        auto timerProc = reinterpret_cast<TIMERPROC>(msg->lParam);
        timerProc(msg->hwnd, WM_TIMER, msg->wParam, msg->time);
        return 0;
    }
    return SendMessageA(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

void WINAPI PostQuitMessage(int exitCode)
{
    quitPosted = true;
    quitCode = exitCode;
    wakeMessageLoop();
}

LONG_PTR WINAPI GetWindowLongPtrA(HWND hwnd, int index)
{
    Window* window = findWindow(hwnd);
    if (window == nullptr) {
        return 0;
    }
    if (window->kind == WindowKind::Dialog && index >= 0) {
        switch (index) {
        case DWLP_MSGRESULT: return window->dialogResult;
        case DWLP_DLGPROC: return reinterpret_cast<LONG_PTR>(window->dialogProc);
        case DWLP_USER: return window->dialogUser;
        default: return 0;
        }
    }
    switch (index) {
    case GWLP_WNDPROC: return reinterpret_cast<LONG_PTR>(window->proc);
    case GWLP_USERDATA: return window->userData;
    case GWLP_ID: return window->id;
    case GWLP_HINSTANCE: return reinterpret_cast<LONG_PTR>(window->instance);
    case GWLP_HWNDPARENT: return reinterpret_cast<LONG_PTR>(window->parent);
    case GWL_STYLE: return static_cast<LONG_PTR>(static_cast<LONG>(currentStyle(*window)));
    case GWL_EXSTYLE: return static_cast<LONG_PTR>(static_cast<LONG>(window->exStyle));
    default: return 0;
    }
}

LONG_PTR WINAPI SetWindowLongPtrA(HWND hwnd, int index, LONG_PTR value)
{
    Window* window = findWindow(hwnd);
    if (window == nullptr) {
        return 0;
    }
    const LONG_PTR previous = GetWindowLongPtrA(hwnd, index);
    if (window->kind == WindowKind::Dialog && index >= 0) {
        switch (index) {
        case DWLP_MSGRESULT: window->dialogResult = value; break;
        case DWLP_DLGPROC: window->dialogProc = reinterpret_cast<DLGPROC>(value); break;
        case DWLP_USER: window->dialogUser = value; break;
        default: break;
        }
        return previous;
    }
    switch (index) {
    case GWLP_WNDPROC:
        window->proc = reinterpret_cast<WNDPROC>(value);
        procedureReplaced(*window);
        break;
    case GWLP_USERDATA: window->userData = value; break;
    case GWLP_ID: window->id = static_cast<int>(value); break;
    case GWL_STYLE: window->style = static_cast<DWORD>(value); break;
    case GWL_EXSTYLE: window->exStyle = static_cast<DWORD>(value); break;
    default: break;
    }
    return previous;
}

LONG WINAPI GetWindowLongA(HWND hwnd, int index)
{
    return static_cast<LONG>(GetWindowLongPtrA(hwnd, index));
}

LONG WINAPI SetWindowLongA(HWND hwnd, int index, LONG value)
{
    return static_cast<LONG>(SetWindowLongPtrA(hwnd, index, value));
}
