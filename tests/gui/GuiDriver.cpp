#include "GuiDriver.h"

#include <memory>

namespace gui {

void drainPostedMessages()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // Not ours to take: leave it for the loop that waits for it.
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

bool waitFor(const std::function<bool()>& condition, int milliseconds)
{
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start >= static_cast<DWORD>(milliseconds))
            return false;
        processEvents();
    }
    return true;
}

bool holdMouse(HWND window, int x, int y, std::function<void()> whileHeld, int milliseconds)
{
    // Shared, as the action may run after this returns when the press never ends.
    auto ran = std::make_shared<bool>(false);
    runSoon([ran, whileHeld = std::move(whileHeld)] {
        whileHeld();
        *ran = true;
    });
    mousePress(window, x, y);
    return waitFor([ran] { return *ran; }, milliseconds);
}

void pause(int milliseconds)
{
    waitFor([] { return false; }, milliseconds);
}

} // namespace gui
