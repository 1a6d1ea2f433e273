#include "RecordingWindows.h"

#include "GuiDriver.h"

#include <map>
#include <utility>

namespace recording {
namespace {

DialogReaction dialogReaction;
std::map<HWND, std::pair<WNDPROC, Subclass>> subclasses;

LRESULT CALLBACK subclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    const auto found = subclasses.find(hwnd);
    if (found == subclasses.end())
        return DefWindowProcA(hwnd, message, wParam, lParam);
    log().push_back({hwnd, message, wParam, lParam});
    // A copy: the handler may subclass the window again.
    const auto [previous, handle] = found->second;
    return handle(previous, hwnd, message, wParam, lParam);
}

} // namespace

std::ostream& operator<<(std::ostream& out, const Seen& seen)
{
    return out << "{" << seen.hwnd << " 0x" << std::hex << seen.message << std::dec << " " << seen.wParam << " "
               << seen.lParam << "}";
}

std::vector<Seen>& log()
{
    static std::vector<Seen> seen;
    return seen;
}

void clearLog()
{
    log().clear();
}

std::vector<Seen> logged(std::initializer_list<UINT> messages)
{
    std::vector<Seen> result;
    for (const Seen& seen : log())
        for (UINT message : messages)
            if (seen.message == message)
                result.push_back(seen);
    return result;
}

std::vector<Seen> loggedAt(HWND hwnd, std::initializer_list<UINT> messages)
{
    std::vector<Seen> result;
    for (const Seen& seen : logged(messages))
        if (seen.hwnd == hwnd)
            result.push_back(seen);
    return result;
}

std::vector<WORD> codesFrom(HWND parent, int id)
{
    std::vector<WORD> codes;
    for (const Seen& seen : loggedAt(parent, {WM_COMMAND}))
        if (LOWORD(seen.wParam) == id)
            codes.push_back(HIWORD(seen.wParam));
    return codes;
}

INT_PTR CALLBACK recordingDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    log().push_back({hwnd, message, wParam, lParam});
    return dialogReaction ? dialogReaction(hwnd, message, wParam, lParam) : FALSE;
}

void setDialogReaction(DialogReaction reaction)
{
    dialogReaction = std::move(reaction);
}

void subclass(HWND hwnd, Subclass handle)
{
    const auto found = subclasses.find(hwnd);
    if (found != subclasses.end()) {
        found->second.second = std::move(handle);
        return;
    }
    const auto previous = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(hwnd, GWLP_WNDPROC));
    subclasses[hwnd] = {previous, std::move(handle)};
    SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(subclassProc));
}

void recordingSubclass(HWND hwnd)
{
    subclass(hwnd, [](WNDPROC previous, HWND h, UINT m, WPARAM w, LPARAM l) {
        return CallWindowProcA(previous, h, m, w, l);
    });
}

void WindowTest::SetUp()
{
    clearLog();
    setDialogReaction(nullptr);
}

void WindowTest::TearDown()
{
    setDialogReaction(nullptr);
    // Owned windows go with their owner; the rest are destroyed here.
    for (auto it = opened_.rbegin(); it != opened_.rend(); ++it)
        if (IsWindow(*it))
            DestroyWindow(*it);
    opened_.clear();
    subclasses.clear();
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    clearLog();
}

HWND WindowTest::openDialog(int id, HWND owner)
{
    const HWND hwnd =
        CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), owner, recordingDialogProc, 0);
    if (hwnd != nullptr) {
        opened_.push_back(hwnd);
        ShowWindow(hwnd, SW_SHOW);
        gui::processEvents();
    }
    return hwnd;
}

} // namespace recording
