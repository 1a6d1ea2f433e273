#pragma once

#include "framework/Control.h"

#include <cstdint>

// A window as one object: handleMessage decodes each message into the arguments of one
// virtual operation. For the message operations a nonzero result means handled, and
// the system's own processing of the message does not run.
class Window {
public:
    static constexpr std::uint32_t errorNotSupported = 0x8000000Au;

    Window() = default;
    virtual ~Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    // No class of the program creates a window without a template; reports errorNotSupported.
    virtual bool createWindow();
    // Marks the whole client area for painting, without erasing.
    virtual int invalidate();
    virtual int handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    virtual int show();
    virtual int onDestroy();
    virtual int onCommand(int code, int id, HWND control);
    virtual int onLButtonDown(WPARAM keys, int x, int y);
    virtual int onLButtonUp(WPARAM keys, int x, int y);
    virtual int onRButtonDown(WPARAM keys, int x, int y);
    virtual int onRButtonUp(WPARAM keys, int x, int y);
    virtual int onMouseMove(WPARAM keys, int x, int y);
    virtual int onKeyDown(WPARAM wParam, LPARAM lParam);
    virtual int onKeyUp(WPARAM wParam, LPARAM lParam);
    virtual int onClose();
    virtual int onPaint();
    virtual int onTimer(WPARAM timerId);
    virtual int onSize(WPARAM sizeType, int width, int height);
    virtual int onNotify(WPARAM wParam, LPARAM lParam);

    std::uint32_t status = 0;
    HWND hwnd = nullptr;
    // Bound to the object's own window, never subclassed.
    Control selfControl;
};
