#include "framework/ModalDialog.h"

#include "framework/ApplicationBase.h"

bool ModalDialog::open(Window* owner, int id)
{
    HWND ownerWindow = prepareOpen(owner, id);
    DialogBoxParamA(ApplicationBase::currentInstance(), templateName(), ownerWindow,
                    &Dialog::dialogProc, 0);
    return true;
}

int ModalDialog::onCommand(int, int id, HWND) { return closeOnOk(id); }
int ModalDialog::onClose() { return endAndForget(); }
// 0 lets the system paint the dialog.
int ModalDialog::onPaint() { return 0; }
int ModalDialog::onInitDialog() { return 0; }

int ModalDialog::end()
{
    return EndDialog(hwnd, 0);
}
