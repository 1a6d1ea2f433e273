#include "framework/PushNotifyButton.h"

namespace {

void postToParent(HWND button, int code)
{
    const WPARAM idAndCode = MAKEWPARAM(GetDlgCtrlID(button), code);
    PostMessageA(GetParent(button), WM_COMMAND, idAndCode, reinterpret_cast<LPARAM>(button));
}

} // namespace

LRESULT PushNotifyButton::windowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_LBUTTONDOWN)
        postToParent(hwnd, pushedCode);
    else if (message == WM_LBUTTONUP)
        postToParent(hwnd, unpushedCode);
    return Button::windowProc(message, wParam, lParam);
}
