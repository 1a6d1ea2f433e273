#include "framework/ModalDialog.h"

#include "framework/ApplicationBase.h"

bool ModalDialog::open(Window* owner, int id)
{
    HWND ownerWindow = prepareOpen(owner, id);
    DialogBoxParamA(ApplicationBase::currentInstance(), templateName(), ownerWindow, &Dialog::dialogProc, 0);
    return true;
}

int ModalDialog::end()
{
    return EndDialog(hwnd, 0);
}
