// The user's hands on real Win32: input arrives as the messages the system would post
// for it, timers of the thread run the deferred actions (every message loop, also the
// modal loops of dialogs and message boxes, dispatches them), and pixels are read back
// from the screen.
#include "GuiDriver.h"

#include <map>
#include <set>
#include <string>

namespace gui {
namespace {

std::map<UINT_PTR, std::function<void()>>& pendingActions()
{
    static std::map<UINT_PTR, std::function<void()>> actions;
    return actions;
}

void CALLBACK runPendingAction(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    auto& actions = pendingActions();
    const auto found = actions.find(timer);
    if (found == actions.end())
        return;
    const std::function<void()> action = std::move(found->second);
    actions.erase(found);
    action();
}

UINT_PTR runLater(int milliseconds, std::function<void()> action)
{
    const UINT_PTR timer = SetTimer(nullptr, 0, static_cast<UINT>(milliseconds), runPendingAction);
    pendingActions()[timer] = std::move(action);
    return timer;
}

LPARAM clientPoint(int x, int y)
{
    return MAKELPARAM(static_cast<WORD>(static_cast<SHORT>(x)), static_cast<WORD>(static_cast<SHORT>(y)));
}

// The mouse message goes to the window that has the capture, in its coordinates, as
// the system's input does.
void postMouse(HWND window, UINT message, WPARAM keys, int x, int y)
{
    HWND target = GetCapture() != nullptr ? GetCapture() : window;
    POINT point{x, y};
    if (target != window)
        MapWindowPoints(window, target, &point, 1);
    PostMessageA(target, message, keys, clientPoint(point.x, point.y));
    processEvents();
}

WPARAM heldButtons = 0;

// The dialogs that run in the system's modal loop, which offers their messages to the
// dialog manager; the program's own loop does not (its main window, a modeless dialog,
// has no dialog keys). The modal loop shows itself to a message filter hook.
std::set<HWND>& modalDialogs()
{
    static std::set<HWND> dialogs;
    return dialogs;
}

LRESULT CALLBACK noteModalLoop(int code, WPARAM wParam, LPARAM lParam)
{
    const MSG* message = reinterpret_cast<const MSG*>(lParam);
    if ((code == MSGF_DIALOGBOX || code == MSGF_MESSAGEBOX) && message != nullptr && message->hwnd != nullptr)
        modalDialogs().insert(GetAncestor(message->hwnd, GA_ROOT));
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void watchModalLoops()
{
    static const HHOOK hook = SetWindowsHookExA(WH_MSGFILTER, noteModalLoop, nullptr, GetCurrentThreadId());
    (void)hook;
}

bool inModalLoop(HWND root)
{
    auto& dialogs = modalDialogs();
    std::erase_if(dialogs, [](HWND dialog) { return !IsWindow(dialog); });
    return dialogs.count(root) != 0;
}

} // namespace

void runSoon(std::function<void()> action)
{
    // A timer that is due competes with the modal loop's first idle moment, where the
    // loop shows its dialog; one more turn lets the dialog appear first, as it has for
    // any user who acts on it.
    watchModalLoops();
    runLater(0, [action = std::move(action)] { runLater(0, action); });
}

void processEvents()
{
    watchModalLoops();
    // Painting and the window system's own traffic take a moment under a display server.
    const DWORD start = GetTickCount();
    do {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(message.wParam));
                return;
            }
            // As the loop that would have taken the message does: the keys of a modal
            // dialog go to its dialog manager (Tab, Escape, Enter), the rest is dispatched.
            HWND root = message.hwnd != nullptr ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
            if (root != nullptr && inModalLoop(root) && IsDialogMessageA(root, &message))
                continue;
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(1);
    } while (GetTickCount() - start < 20);
}

void mousePress(HWND window, int x, int y, bool rightButton, bool shift)
{
    heldButtons |= rightButton ? MK_RBUTTON : MK_LBUTTON;
    postMouse(window, rightButton ? WM_RBUTTONDOWN : WM_LBUTTONDOWN, heldButtons | (shift ? MK_SHIFT : 0), x, y);
}

void mouseMove(HWND window, int x, int y)
{
    postMouse(window, WM_MOUSEMOVE, heldButtons, x, y);
}

void mouseRelease(HWND window, int x, int y, bool rightButton, bool shift)
{
    heldButtons &= ~static_cast<WPARAM>(rightButton ? MK_RBUTTON : MK_LBUTTON);
    postMouse(window, rightButton ? WM_RBUTTONUP : WM_LBUTTONUP, heldButtons | (shift ? MK_SHIFT : 0), x, y);
}

void click(HWND window)
{
    RECT client{};
    GetClientRect(window, &client);
    mousePress(window, client.right / 2, client.bottom / 2);
    mouseRelease(window, client.right / 2, client.bottom / 2);
}

void clickAt(HWND window, int x, int y)
{
    POINT point{x, y};
    ClientToScreen(window, &point);
    HWND target = WindowFromPoint(point);
    // The system gives no mouse input to a disabled window, nor to the controls of a
    // disabled dialog.
    for (HWND window = target; window != nullptr; window = GetAncestor(window, GA_PARENT)) {
        if (!IsWindowEnabled(window))
            return;
        if (window == GetAncestor(window, GA_ROOT))
            break;
    }
    if (target == nullptr)
        return;
    ScreenToClient(target, &point);
    mousePress(target, point.x, point.y);
    mouseRelease(target, point.x, point.y);
}

void quickClick(HWND window, int x, int y)
{
    // Both are queued before the window sees the press, so the release goes to it even
    // where the press would take the capture.
    PostMessageA(window, WM_LBUTTONDOWN, heldButtons | MK_LBUTTON, clientPoint(x, y));
    PostMessageA(window, WM_LBUTTONUP, heldButtons, clientPoint(x, y));
    processEvents();
}

void keyClick(HWND window, int virtualKey)
{
    SetFocus(window);
    // As the keyboard reports them: the scan code, and the flag of the keys beside the
    // typing keys (arrows, the editing block).
    UINT flags = MapVirtualKeyA(static_cast<UINT>(virtualKey), 0) << 16;
    switch (virtualKey) {
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
    case VK_HOME:
    case VK_END:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_INSERT:
    case VK_DELETE: flags |= KF_EXTENDED << 16; break;
    default: break;
    }
    // The key goes up after its character has come, as a finger lifts after typing.
    PostMessageA(window, WM_KEYDOWN, static_cast<WPARAM>(virtualKey), static_cast<LPARAM>(1 | flags));
    processEvents();
    PostMessageA(window, WM_KEYUP, static_cast<WPARAM>(virtualKey),
                 static_cast<LPARAM>(1 | flags | (1u << 30) | (1u << 31)));
    processEvents();
}

void typeText(HWND window, const char* text)
{
    SetFocus(window);
    const int length = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 1), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text, -1, wide.data(), length);
    for (wchar_t character : wide) {
        if (character != L'\0')
            SendMessageW(window, WM_CHAR, character, 1);
    }
    processEvents();
}

COLORREF shownPixel(HWND window, int x, int y)
{
    // Only a window on the screen has pixels to see; a hidden dialog is shown for it
    // (the Qt layer paints hidden widgets off the screen instead).
    HWND root = GetAncestor(window, GA_ROOT);
    if (!IsWindowVisible(root))
        ShowWindow(root, SW_SHOWNOACTIVATE);
    UpdateWindow(window);
    processEvents();
    HDC dc = GetDC(window);
    const COLORREF pixel = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return pixel;
}

void clickCloseBox(HWND window)
{
    PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    processEvents();
}

bool chooseMenuItem(HWND window, int id)
{
    HMENU menu = GetMenu(window);
    if (menu == nullptr || GetMenuState(menu, static_cast<UINT>(id), MF_BYCOMMAND) == static_cast<UINT>(-1))
        return false;
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, 0), 0);
    processEvents();
    return true;
}

std::string menuItemText(HWND window, int id)
{
    HMENU menu = GetMenu(window);
    char text[256] = {};
    if (menu == nullptr || GetMenuStringA(menu, static_cast<UINT>(id), text, sizeof text, MF_BYCOMMAND) <= 0)
        return {};
    return text;
}

namespace {

// A message box is a dialog of statics and buttons with its text in the static 0xFFFF,
// the one enabled in front of its disabled owner.
HWND messageBoxUp()
{
    HWND found = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM data) -> BOOL {
            char className[16] = {};
            GetClassNameA(window, className, sizeof className);
            if (std::string(className) != "#32770" || !IsWindowVisible(window) || !IsWindowEnabled(window) ||
                GetDlgItem(window, 0xFFFF) == nullptr)
                return TRUE;
            bool staticsAndButtons = true;
            for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
                GetClassNameA(child, className, sizeof className);
                staticsAndButtons =
                    staticsAndButtons && (std::string(className) == "Static" || std::string(className) == "Button");
            }
            if (!staticsAndButtons)
                return TRUE;
            *reinterpret_cast<HWND*>(data) = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

std::string textOf(HWND window)
{
    if (window == nullptr)
        return {};
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(window)) + 1, '\0');
    text.resize(static_cast<std::size_t>(GetWindowTextA(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

} // namespace

std::string activeMessageBoxCaption()
{
    return textOf(messageBoxUp());
}

std::string activeMessageBoxText()
{
    HWND box = messageBoxUp();
    return box != nullptr ? textOf(GetDlgItem(box, 0xFFFF)) : std::string();
}

bool pressMessageBoxButton(int id)
{
    HWND box = messageBoxUp();
    HWND button = box != nullptr ? GetDlgItem(box, id) : nullptr;
    if (button == nullptr)
        return false;
    click(button);
    return true;
}

struct Watchdog::State {
    UINT_PTR timer = 0;
    bool fired = false;
};

Watchdog::Watchdog(int milliseconds, std::function<void()> rescue) : state_(new State)
{
    State* state = state_;
    state_->timer = runLater(milliseconds, [state, rescue] {
        state->fired = true;
        state->timer = 0;
        rescue();
    });
}

Watchdog::~Watchdog()
{
    if (state_->timer != 0) {
        KillTimer(nullptr, state_->timer);
        pendingActions().erase(state_->timer);
    }
    delete state_;
}

bool Watchdog::fired() const
{
    return state_->fired;
}

} // namespace gui
