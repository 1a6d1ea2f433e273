#pragma once

#include "platform/win32.h"

// Stands for one child window. Bound, it gives the window typed operations; subclassed,
// the window's messages reach windowProc first, and whatever windowProc does not pass
// on to the previous procedure never reaches the control.
class Control {
public:
    Control() = default;
    // Gives the window its previous procedure back; the window itself lives on.
    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    // Binds to another window, first giving a subclassed one its procedure back.
    void attach(HWND window);
    // Routes the bound window's messages through windowProc; once only.
    void subclass();
    // Gives the window its previous procedure back. The wrapper stays in the window's
    // user-data slot, but no message reaches it any more.
    void unsubclass();

    // The procedure every subclassed window gets; it finds its wrapper in the user data.
    static LRESULT CALLBACK controlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    // Passes the message to the window's previous procedure.
    virtual LRESULT windowProc(UINT message, WPARAM wParam, LPARAM lParam);

    HWND hwnd = nullptr;
    WNDPROC savedProc = nullptr;
};
