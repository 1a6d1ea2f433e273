#include "app/MainWindow.h"

int MainWindow::onInitDialog()
{
    show();
    return 0;
}

int MainWindow::onCommand(int code, int id, HWND control)
{
    if (id == closeCommand) {
        SendMessageA(hwnd, WM_CLOSE, 0, 0);
        return 1;
    }
    return ModelessDialog::onCommand(code, id, control);
}

int MainWindow::onClose()
{
    DestroyWindow(hwnd);
    return 1;
}

int MainWindow::onDestroy()
{
    PostQuitMessage(0);
    return ModelessDialog::onDestroy();
}
