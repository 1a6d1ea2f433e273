#include "framework/Window.h"

namespace {

// Mouse positions are signed 16-bit halves: left of or above the client area they are negative.
int signedLow(LPARAM lParam)
{
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(lParam & 0xFFFF));
}

int signedHigh(LPARAM lParam)
{
    return static_cast<std::int16_t>(static_cast<std::uint16_t>((lParam >> 16) & 0xFFFF));
}

int unsignedLow(std::uintptr_t value)
{
    return static_cast<int>(value & 0xFFFF);
}

int unsignedHigh(std::uintptr_t value)
{
    return static_cast<int>((value >> 16) & 0xFFFF);
}

} // namespace

bool Window::createWindow()
{
    status = errorNotSupported;
    return false;
}

int Window::invalidate()
{
    return InvalidateRect(hwnd, nullptr, FALSE);
}

int Window::handleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    const auto size = static_cast<std::uintptr_t>(lParam);
    switch (message) {
    case WM_DESTROY: return onDestroy();
    case WM_SIZE: return onSize(wParam, unsignedLow(size), unsignedHigh(size));
    case WM_PAINT: return onPaint();
    case WM_CLOSE: return onClose();
    case WM_NOTIFY: return onNotify(wParam, lParam);
    case WM_KEYDOWN: return onKeyDown(wParam, lParam);
    case WM_KEYUP: return onKeyUp(wParam, lParam);
    case WM_COMMAND: return onCommand(unsignedHigh(wParam), unsignedLow(wParam), reinterpret_cast<HWND>(lParam));
    case WM_TIMER: return onTimer(wParam);
    case WM_MOUSEMOVE: return onMouseMove(wParam, signedLow(lParam), signedHigh(lParam));
    case WM_LBUTTONDOWN: return onLButtonDown(wParam, signedLow(lParam), signedHigh(lParam));
    case WM_LBUTTONUP: return onLButtonUp(wParam, signedLow(lParam), signedHigh(lParam));
    case WM_RBUTTONDOWN: return onRButtonDown(wParam, signedLow(lParam), signedHigh(lParam));
    case WM_RBUTTONUP: return onRButtonUp(wParam, signedLow(lParam), signedHigh(lParam));
    default: return 0;
    }
}

int Window::show()
{
    ShowWindow(hwnd, SW_SHOW);
    UpdateWindow(hwnd);
    return 1;
}

int Window::onDestroy()
{
    hwnd = nullptr;
    return 1;
}

int Window::onCommand(int, int, HWND)
{
    return 1;
}
int Window::onLButtonDown(WPARAM, int, int)
{
    return 1;
}
int Window::onLButtonUp(WPARAM, int, int)
{
    return 1;
}
int Window::onRButtonDown(WPARAM, int, int)
{
    return 1;
}
int Window::onRButtonUp(WPARAM, int, int)
{
    return 1;
}
int Window::onMouseMove(WPARAM, int, int)
{
    return 1;
}
int Window::onKeyDown(WPARAM, LPARAM)
{
    return 1;
}
int Window::onKeyUp(WPARAM, LPARAM)
{
    return 1;
}

int Window::onClose()
{
    DestroyWindow(hwnd);
    return 1;
}

int Window::onPaint()
{
    // Validates the update region, so the window is not asked to paint again.
    PAINTSTRUCT paint;
    BeginPaint(hwnd, &paint);
    EndPaint(hwnd, &paint);
    return 1;
}

int Window::onTimer(WPARAM)
{
    return 1;
}
int Window::onSize(WPARAM, int, int)
{
    return 1;
}
int Window::onNotify(WPARAM, LPARAM)
{
    return 1;
}
