#include "TestWindows.h"

#include "platform/qt/WindowRecord.h"

namespace windowtest {

QWidget* widgetOf(HWND hwnd)
{
    win32qt::Window* window = win32qt::findWindow(hwnd);
    return window != nullptr ? window->widget.data() : nullptr;
}

} // namespace windowtest
