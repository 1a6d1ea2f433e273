// The thread's queue of posted messages and the loops that drain it while Qt's event
// loop runs underneath.
#pragma once

#include "platform/win32.h"

namespace win32qt {

// Takes (or only looks at) the first posted message that matches the filter; WM_QUIT
// comes when no other message does.
bool takePostedMessage(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, bool remove);

// Whether a message like this one already waits in the queue.
bool isPosted(HWND hwnd, UINT message, WPARAM wParam);

// Lets Qt run until at least one event has been handled. While this runs inside one of
// our own message loops, posted messages stay queued for that loop.
void waitForEvents();
// Handles pending Qt events without waiting.
void processPendingEvents();
// Wakes a loop waiting in waitForEvents.
void wakeMessageLoop();

// While a Qt modal loop that knows nothing of the queue runs (a message box, a file
// dialog), posted messages are dispatched as they arrive, as the system's own modal
// loops do.
class ForeignLoopScope {
public:
    ForeignLoopScope();
    ~ForeignLoopScope();
    ForeignLoopScope(const ForeignLoopScope&) = delete;
    ForeignLoopScope& operator=(const ForeignLoopScope&) = delete;

private:
    int savedDepth_;
};

} // namespace win32qt
