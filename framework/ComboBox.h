#pragma once

#include "framework/Control.h"

// A drop-down list bound by a dialog, usually re-bound from one combo box to the next
// while the dialog fills or reads them. Each operation is one message to the control.
class ComboBox : public Control {
public:
    // The selected index, or CB_ERR when nothing is selected.
    int getCurSel();
    int setCurSel(int index);
    int addString(const char* text);
    int resetContent();
};
