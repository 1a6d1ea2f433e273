#include "platform/qt/EventBridge.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPointingDevice>

#include <vector>

#include "platform/qt/Controls.h"
#include "platform/qt/Dialogs.h"

namespace win32qt {

namespace {

struct EventInFlight {
    HWND hwnd;
    UINT message;
    QWidget* widget;
    QEvent* event;
    bool delivered;
};

std::vector<EventInFlight> inFlight;

// The window that has the focus as far as its messages went.
HWND focusedWindow = nullptr;

class InFlightScope {
public:
    InFlightScope(HWND hwnd, UINT message, QWidget* widget, QEvent* event)
    {
        inFlight.push_back({hwnd, message, widget, event, false});
    }
    ~InFlightScope() { inFlight.pop_back(); }
    InFlightScope(const InFlightScope&) = delete;
    InFlightScope& operator=(const InFlightScope&) = delete;
};

// Buttons and every control that handles double clicks get WM_xBUTTONDBLCLK; other
// windows see a second press, as windows of a class without CS_DBLCLKS do.
bool wantsDoubleClicks(const Window& window)
{
    return window.kind == WindowKind::Button;
}

UINT mouseMessage(const Window& window, QEvent::Type type, Qt::MouseButton button)
{
    const bool doubleClick = type == QEvent::MouseButtonDblClick && wantsDoubleClicks(window);
    const bool press = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick;
    switch (button) {
    case Qt::LeftButton: return doubleClick ? WM_LBUTTONDBLCLK : press ? WM_LBUTTONDOWN : WM_LBUTTONUP;
    case Qt::RightButton: return doubleClick ? WM_RBUTTONDBLCLK : press ? WM_RBUTTONDOWN : WM_RBUTTONUP;
    case Qt::MiddleButton: return doubleClick ? WM_MBUTTONDBLCLK : press ? WM_MBUTTONDOWN : WM_MBUTTONUP;
    default: return 0;
    }
}

WPARAM mouseKeys(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers)
{
    WPARAM keys = 0;
    if (buttons & Qt::LeftButton) {
        keys |= MK_LBUTTON;
    }
    if (buttons & Qt::RightButton) {
        keys |= MK_RBUTTON;
    }
    if (buttons & Qt::MiddleButton) {
        keys |= MK_MBUTTON;
    }
    if (modifiers & Qt::ShiftModifier) {
        keys |= MK_SHIFT;
    }
    if (modifiers & Qt::ControlModifier) {
        keys |= MK_CONTROL;
    }
    return keys;
}

LPARAM pointParam(QPoint point)
{
    return MAKELPARAM(static_cast<WORD>(static_cast<short>(point.x())),
                      static_cast<WORD>(static_cast<short>(point.y())));
}

bool inputBlocked(Window& window)
{
    Window* top = topLevelOf(window);
    return top != nullptr && !top->topLevelEnabled;
}

void deliver(QWidget* widget, QEvent* event)
{
    // Straight to the widget's own handler: no event filter (it would translate the
    // event again) and no propagation to the parent, which on Windows would not see a
    // message meant for its child either.
    static_cast<QObject*>(widget)->event(event);
}

bool isExtendedKey(int key)
{
    switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Insert:
    case Qt::Key_Delete: return true;
    default: return false;
    }
}

LPARAM keyParam(const QKeyEvent& event, bool release)
{
    DWORD value = 1; // repeat count
    value |= (event.nativeScanCode() & 0xFF) << 16;
    if (isExtendedKey(event.key())) {
        value |= 1u << 24;
    }
    if (release || event.isAutoRepeat()) {
        value |= 1u << 30;
    }
    if (release) {
        value |= 1u << 31;
    }
    return static_cast<LPARAM>(value);
}

// The character a key press types, which arrives as WM_CHAR after its WM_KEYDOWN, as
// TranslateMessage makes it; 0 when it types none here (control characters, and text
// beyond ASCII, which stays with the key press).
char typedCharacter(const QKeyEvent& event)
{
    const QString text = event.text();
    if (text.size() != 1 || text[0].unicode() < 0x20 || text[0].unicode() > 0x7E) {
        return 0;
    }
    return static_cast<char>(text[0].unicode());
}

// Controls that can have the focus take it when they handle a press themselves.
void takeFocusOnPress(Window& window, UINT message)
{
    if (message != WM_LBUTTONDOWN && message != WM_LBUTTONDBLCLK) {
        return;
    }
    switch (window.kind) {
    case WindowKind::Button:
    case WindowKind::Edit:
    case WindowKind::ComboBox:
    case WindowKind::Trackbar:
        if ((window.kind != WindowKind::Button || (window.style & BS_TYPEMASK) != BS_GROUPBOX) &&
            window.widget->isEnabled()) {
            giveFocus(window, Qt::MouseFocusReason);
        }
        break;
    default: break;
    }
}

class EventBridge : public QObject {
public:
    bool eventFilter(QObject* object, QEvent* event) override
    {
        auto* widget = static_cast<QWidget*>(object);
        Window* window = windowOfWidget(widget);
        if (window == nullptr) {
            window = frameOwner(widget);
            if (window != nullptr && event->type() == QEvent::Close) {
                return closeBox(*window, event);
            }
            return false;
        }
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove: return mouse(*window, widget, static_cast<QMouseEvent*>(event));
        case QEvent::KeyPress:
        case QEvent::KeyRelease: return key(*window, widget, static_cast<QKeyEvent*>(event));
        case QEvent::Paint: return paint(*window, widget, event);
        case QEvent::FocusIn:
        case QEvent::FocusOut: return focus(*window, widget, static_cast<QFocusEvent*>(event));
        case QEvent::Close: return closeBox(*window, event);
        default: return false;
        }
    }

private:
    static Window* frameOwner(QWidget* widget)
    {
        const QVariant value = widget->property("win32qt.frameOf");
        if (!value.isValid()) {
            return nullptr;
        }
        return findWindow(reinterpret_cast<HWND>(value.value<quintptr>()));
    }

    static bool mouse(Window& window, QWidget* widget, QMouseEvent* event)
    {
        UINT message = WM_MOUSEMOVE;
        if (event->type() != QEvent::MouseMove) {
            message = mouseMessage(window, event->type(), event->button());
            if (message == 0) {
                return false;
            }
        }
        event->accept();
        if (inputBlocked(window)) {
            return true;
        }
        const WPARAM keys = mouseKeys(event->buttons(), event->modifiers());
        const LPARAM point = pointParam(event->position().toPoint());
        HandlerScope scope;
        InFlightScope flight(window.handle, message, widget, event);
        callProc(window, message, keys, point);
        // The message was this window's, whatever the widget made of the event.
        event->accept();
        return true;
    }

    static bool key(Window& window, QWidget* widget, QKeyEvent* event)
    {
        const bool release = event->type() == QEvent::KeyRelease;
        const UINT virtualKey = virtualKeyOf(event->key());
        if (virtualKey == 0) {
            return false; // text from an input method and the like: Qt's own
        }
        event->accept();
        if (inputBlocked(window)) {
            return true;
        }
        HandlerScope scope;
        if (!release && handleDialogKey(window, virtualKey)) {
            return true;
        }
        if (!release && (virtualKey == VK_TAB) && dialogNavigates(window)) {
            deliver(widget, event); // Qt moves the focus, as the dialog manager would
            return true;
        }
        const UINT message = release ? WM_KEYUP : WM_KEYDOWN;
        const HWND hwnd = window.handle;
        {
            InFlightScope flight(hwnd, message, widget, event);
            callProc(window, message, virtualKey, keyParam(*event, release));
        }
        // The character comes after the key, to the same window, if it is still there.
        const char character = release ? 0 : typedCharacter(*event);
        Window* still = character != 0 ? findWindow(hwnd) : nullptr;
        if (still != nullptr && still->widget != nullptr) {
            QKeyEvent typed(QEvent::KeyPress, 0, event->modifiers(), QString(QChar(character)));
            InFlightScope flight(hwnd, WM_CHAR, still->widget, &typed);
            callProc(*still, WM_CHAR, static_cast<unsigned char>(character), keyParam(*event, false));
        }
        event->accept();
        return true;
    }

    static bool paint(Window& window, QWidget* widget, QEvent* event)
    {
        HandlerScope scope;
        InFlightScope flight(window.handle, WM_PAINT, widget, event);
        window.needsPaint = false;
        callProc(window, WM_PAINT, 0, 0);
        return true;
    }

    static bool focus(Window& window, QWidget* widget, QFocusEvent* event)
    {
        // A popup (a combo box's list) takes the keyboard without taking the focus, and
        // the focus coming back from it is no change either.
        const bool gained = event->type() == QEvent::FocusIn;
        const QWidget* active = QApplication::activeWindow();
        const bool popupOpen =
            QApplication::activePopupWidget() != nullptr || (active != nullptr && active->windowType() == Qt::Popup);
        if (event->reason() == Qt::PopupFocusReason || (!gained && popupOpen) ||
            (gained && focusedWindow == window.handle) || (!gained && focusedWindow != window.handle)) {
            deliver(widget, event);
            return true;
        }
        focusedWindow = gained ? window.handle : nullptr;
        const UINT message = gained ? WM_SETFOCUS : WM_KILLFOCUS;
        Window* other = nullptr;
        if (!gained) {
            other = enclosingWindow(QApplication::focusWidget());
        }
        HandlerScope scope;
        InFlightScope flight(window.handle, message, widget, event);
        callProc(window, message, reinterpret_cast<WPARAM>(other != nullptr ? other->handle : nullptr), 0);
        return true;
    }

    static bool closeBox(Window& window, QEvent* event)
    {
        // The window stays until its procedure destroys it.
        event->ignore();
        if (inputBlocked(window)) {
            return true;
        }
        HandlerScope scope;
        callProc(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        return true;
    }
};

EventBridge& bridge()
{
    static EventBridge* instance = new EventBridge;
    return *instance;
}

} // namespace

void attachEventBridge(Window& window)
{
    window.widget->installEventFilter(&bridge());
    window.widget->setMouseTracking(true);
    if (window.frame != window.widget) {
        window.frame->setProperty("win32qt.frameOf", QVariant::fromValue(reinterpret_cast<quintptr>(window.handle)));
        window.frame->installEventFilter(&bridge());
    }
}

bool letQtHandle(Window& window, UINT message, WPARAM wParam, LPARAM lParam)
{
    for (auto it = inFlight.rbegin(); it != inFlight.rend(); ++it) {
        if (it->hwnd == window.handle && it->message == message && !it->delivered) {
            it->delivered = true;
            // Taking the focus sends messages of its own, which may move the entries.
            QWidget* widget = it->widget;
            QEvent* event = it->event;
            if (event->type() == QEvent::KeyPress && !dialogNavigates(window)) {
                const int key = static_cast<QKeyEvent*>(event)->key();
                if (key == Qt::Key_Tab || key == Qt::Key_Backtab) {
                    return false; // without the dialog manager Tab moves nothing
                }
            }
            takeFocusOnPress(window, message);
            if (message == WM_KEYDOWN && typedCharacter(*static_cast<QKeyEvent*>(event)) != 0) {
                // The key itself types nothing: its character follows as WM_CHAR.
                const auto* press = static_cast<QKeyEvent*>(event);
                QKeyEvent untyped(QEvent::KeyPress, press->key(), press->modifiers(), QString(), press->isAutoRepeat());
                deliver(widget, &untyped);
                return true;
            }
            deliver(widget, event);
            return true;
        }
    }

    QWidget* widget = window.widget;
    if (widget == nullptr) {
        return false;
    }
    const QPointF local(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
    Qt::MouseButtons buttons;
    if (wParam & MK_LBUTTON) {
        buttons |= Qt::LeftButton;
    }
    if (wParam & MK_RBUTTON) {
        buttons |= Qt::RightButton;
    }
    if (wParam & MK_MBUTTON) {
        buttons |= Qt::MiddleButton;
    }
    Qt::KeyboardModifiers modifiers;
    if (wParam & MK_SHIFT) {
        modifiers |= Qt::ShiftModifier;
    }
    if (wParam & MK_CONTROL) {
        modifiers |= Qt::ControlModifier;
    }
    takeFocusOnPress(window, message);
    auto sendMouse = [&](QEvent::Type type, Qt::MouseButton button) {
        const QPointF global = widget->mapToGlobal(local);
        QMouseEvent event(type, local, local, global, button, buttons, modifiers,
                          QPointingDevice::primaryPointingDevice());
        deliver(widget, &event);
        return true;
    };
    switch (message) {
    case WM_MOUSEMOVE: return sendMouse(QEvent::MouseMove, Qt::NoButton);
    case WM_LBUTTONDOWN: return sendMouse(QEvent::MouseButtonPress, Qt::LeftButton);
    case WM_LBUTTONUP: return sendMouse(QEvent::MouseButtonRelease, Qt::LeftButton);
    case WM_LBUTTONDBLCLK: return sendMouse(QEvent::MouseButtonDblClick, Qt::LeftButton);
    case WM_RBUTTONDOWN: return sendMouse(QEvent::MouseButtonPress, Qt::RightButton);
    case WM_RBUTTONUP: return sendMouse(QEvent::MouseButtonRelease, Qt::RightButton);
    case WM_RBUTTONDBLCLK: return sendMouse(QEvent::MouseButtonDblClick, Qt::RightButton);
    case WM_KEYDOWN:
    case WM_KEYUP: {
        // A key sent or posted by the program types nothing by itself; TranslateMessage
        // makes the character of a posted one.
        const int key = qtKeyOf(static_cast<UINT>(wParam));
        if (key == 0) {
            return false;
        }
        QKeyEvent event(message == WM_KEYDOWN ? QEvent::KeyPress : QEvent::KeyRelease, key, Qt::NoModifier);
        deliver(widget, &event);
        return true;
    }
    case WM_CHAR: {
        if (wParam < 0x20 || wParam > 0x7E) {
            return false;
        }
        QKeyEvent event(QEvent::KeyPress, 0, Qt::NoModifier, QString(QChar(static_cast<char16_t>(wParam))));
        deliver(widget, &event);
        return true;
    }
    default: return false;
    }
}

QPaintEvent* paintEventInFlight(const Window& window)
{
    for (auto it = inFlight.rbegin(); it != inFlight.rend(); ++it) {
        if (it->hwnd == window.handle && it->message == WM_PAINT) {
            return static_cast<QPaintEvent*>(it->event);
        }
    }
    return nullptr;
}

namespace {

struct KeyPair {
    int qt;
    UINT vk;
};

constexpr KeyPair keyTable[] = {
    {Qt::Key_Backspace, VK_BACK}, {Qt::Key_Tab, VK_TAB},     {Qt::Key_Backtab, VK_TAB},     {Qt::Key_Return, VK_RETURN},
    {Qt::Key_Enter, VK_RETURN},   {Qt::Key_Shift, VK_SHIFT}, {Qt::Key_Control, VK_CONTROL}, {Qt::Key_Alt, VK_MENU},
    {Qt::Key_Escape, VK_ESCAPE},  {Qt::Key_Space, VK_SPACE}, {Qt::Key_PageUp, VK_PRIOR},    {Qt::Key_PageDown, VK_NEXT},
    {Qt::Key_End, VK_END},        {Qt::Key_Home, VK_HOME},   {Qt::Key_Left, VK_LEFT},       {Qt::Key_Up, VK_UP},
    {Qt::Key_Right, VK_RIGHT},    {Qt::Key_Down, VK_DOWN},   {Qt::Key_Insert, VK_INSERT},   {Qt::Key_Delete, VK_DELETE},
};

} // namespace

UINT virtualKeyOf(int qtKey)
{
    if ((qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) || (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)) {
        return static_cast<UINT>(qtKey);
    }
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) {
        return VK_F1 + static_cast<UINT>(qtKey - Qt::Key_F1);
    }
    for (const KeyPair& pair : keyTable) {
        if (pair.qt == qtKey) {
            return pair.vk;
        }
    }
    return 0;
}

int qtKeyOf(UINT virtualKey)
{
    if ((virtualKey >= '0' && virtualKey <= '9') || (virtualKey >= 'A' && virtualKey <= 'Z')) {
        return static_cast<int>(virtualKey);
    }
    if (virtualKey >= VK_F1 && virtualKey < VK_F1 + 24) {
        return Qt::Key_F1 + static_cast<int>(virtualKey - VK_F1);
    }
    for (const KeyPair& pair : keyTable) {
        if (pair.vk == virtualKey) {
            return pair.qt;
        }
    }
    return 0;
}

} // namespace win32qt
