#pragma once

#include "framework/Button.h"

// A button that also tells its parent when the left button goes down (code 2) and
// up (code 3), by posted WM_COMMANDs, so a key can sound while it is held. The button
// still presses, captures and clicks as usual.
class PushNotifyButton : public Button {
public:
    static constexpr int pushedCode = 2;
    static constexpr int unpushedCode = 3;

    LRESULT windowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};
