#pragma once

#include "framework/Dialog.h"

// A dialog whose window lives on after open returns; its messages come through the
// application's message loop.
class ModelessDialog : public Dialog {
public:
    bool open(Window* owner, int templateId) override;
    int onCommand(int code, int id, HWND control) override;
    int onClose() override;
    int onPaint() override;
    int onInitDialog() override;
    // Destroys the window.
    int end() override;
};
