#pragma once

#include "framework/Dialog.h"

// A dialog whose open runs its own message loop and returns when the dialog has ended.
// The system paints it and gives it keyboard navigation; OK closes it, Cancel does not
// unless the program's dialog handles it.
class ModalDialog : public Dialog {
public:
    bool open(Window* owner, int templateId) override;
    // Ends the modal loop with result 0.
    int end() override;
};
