// Qt events become window messages: mouse, keys, painting, focus and the close box
// reach the window's current procedure, and the class procedure at the end of the
// chain hands the event back to Qt, so the control does its own work only when the
// message got that far.
#pragma once

#include "platform/qt/WindowRecord.h"

class QPaintEvent;

namespace win32qt {

// Makes the window's widget (and frame) deliver their Qt events as messages.
void attachEventBridge(Window& window);

// For a class procedure: lets Qt handle the message as the control's own behaviour,
// with the Qt event the message came from or, for a message sent by the program, with
// an equivalent event. Returns false when there was nothing Qt could do.
bool letQtHandle(Window& window, UINT message, WPARAM wParam, LPARAM lParam);

// The paint event being translated for a window, or null outside its WM_PAINT.
QPaintEvent* paintEventInFlight(const Window& window);

// Key messages: the virtual key of a Qt key and back.
UINT virtualKeyOf(int qtKey);
int qtKeyOf(UINT virtualKey);

} // namespace win32qt
