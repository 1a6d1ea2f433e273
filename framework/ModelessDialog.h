#pragma once

#include "framework/Dialog.h"

// A dialog whose window lives on after open returns; its messages come through the
// application's message loop.
class ModelessDialog : public Dialog {
public:
    bool open(Window* owner, int templateId) override;
    // Destroys the window.
    int end() override;
};
