#include "framework/ModelessDialog.h"

#include "framework/ApplicationBase.h"

bool ModelessDialog::open(Window* owner, int id)
{
    HWND ownerWindow = prepareOpen(owner, id);
    // The object learns its window at WM_INITDIALOG, during this call.
    CreateDialogParamA(ApplicationBase::currentInstance(), templateName(), ownerWindow, &Dialog::dialogProc, 0);
    return true;
}

int ModelessDialog::end()
{
    return DestroyWindow(hwnd);
}
