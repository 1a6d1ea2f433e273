#include "GuiDriver.h"

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

void pause(int milliseconds)
{
    waitFor([] { return false; }, milliseconds);
}

} // namespace gui
