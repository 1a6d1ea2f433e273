#pragma once

#include "framework/ModelessDialog.h"

// The main window: a modeless dialog with the File menu. Closing it, from the menu or
// by the close box, destroys it and ends the message loop with exit code 0.
class MainWindow : public ModelessDialog {
public:
    static constexpr int closeCommand = 40002;

    int onInitDialog() override;
    int onCommand(int code, int id, HWND control) override;
    int onClose() override;
    int onDestroy() override;
};
