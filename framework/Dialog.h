#pragma once

#include "framework/Window.h"

// A window made from a dialog template. The object learns its window at WM_INITDIALOG
// through pendingDialog, and finds itself again from the window's user data afterwards.
class Dialog : public Window {
public:
    // What both kinds do by default: IDOK closes (and is handled), every other command
    // goes on to the system.
    int onCommand(int code, int id, HWND control) override;
    // Ends the dialog and forgets the window.
    int onClose() override;
    // 0 lets the system paint the dialog.
    int onPaint() override;
    virtual int onInitDialog();
    // Creates the window from template `templateId` (low 16 bits) owned by `owner`'s
    // window. Reports success whatever the system did.
    virtual bool open(Window* owner, int templateId) = 0;
    virtual int end() = 0;

    // The dialog procedure of every dialog window.
    static INT_PTR CALLBACK dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    // The dialog whose window is being created: set by open, read at WM_INITDIALOG.
    // Dialogs are opened one at a time on the main thread, so one variable serves.
    static Dialog* pendingDialog;

    Window* parent = nullptr;
    int templateId = 0;

protected:
    // Stores the arguments, makes this the pending dialog and returns the owner's handle.
    HWND prepareOpen(Window* owner, int id);
    LPCSTR templateName() const;
    // IDOK closes (and is handled), every other command goes on to the system.
    int closeOnOk(int id);
    // Ends the dialog and forgets the window at once, before the end has taken effect.
    int endAndForget();
};
