#include "framework/Control.h"

Control::~Control()
{
    unsubclass();
}

void Control::attach(HWND window)
{
    unsubclass();
    hwnd = window;
}

void Control::subclass()
{
    if (savedProc != nullptr)
        return;
    savedProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(hwnd, GWLP_WNDPROC));
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Control::controlProc));
}

void Control::unsubclass()
{
    if (savedProc == nullptr)
        return;
    SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(savedProc));
    savedProc = nullptr;
}

LRESULT CALLBACK Control::controlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* wrapper = reinterpret_cast<Control*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (wrapper == nullptr)
        return DefWindowProcA(window, message, wParam, lParam);
    return wrapper->windowProc(message, wParam, lParam);
}

LRESULT Control::windowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    return CallWindowProcA(savedProc, hwnd, message, wParam, lParam);
}
