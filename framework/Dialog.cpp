#include "framework/Dialog.h"

Dialog* Dialog::pendingDialog = nullptr;

HWND Dialog::prepareOpen(Window* owner, int id)
{
    parent = owner;
    templateId = id;
    pendingDialog = this;
    return owner != nullptr ? owner->hwnd : nullptr;
}

LPCSTR Dialog::templateName() const
{
    return MAKEINTRESOURCEA(templateId & 0xFFFF);
}

int Dialog::onCommand(int, int id, HWND)
{
    return closeOnOk(id);
}
int Dialog::onClose()
{
    return endAndForget();
}
int Dialog::onPaint()
{
    return 0;
}
int Dialog::onInitDialog()
{
    return 0;
}

int Dialog::closeOnOk(int id)
{
    if (id != IDOK)
        return 0;
    onClose();
    return 1;
}

int Dialog::endAndForget()
{
    end();
    hwnd = nullptr;
    return 1;
}

INT_PTR CALLBACK Dialog::dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        Dialog* dialog = pendingDialog;
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(dialog));
        dialog->hwnd = window;
        dialog->selfControl.attach(window);
        dialog->onInitDialog();
        // FALSE: the dialog chooses its own keyboard focus, if any.
        return FALSE;
    }
    // Messages sent while the window is being created, before WM_INITDIALOG, find no object.
    auto* dialog = reinterpret_cast<Dialog*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (dialog == nullptr)
        return FALSE;
    return dialog->handleMessage(message, wParam, lParam);
}
