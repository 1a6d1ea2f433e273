#include "framework/TransformPanel.h"

LRESULT TransformPanel::windowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_PAINT)
        return Control::windowProc(message, wParam, lParam);
    RECT area;
    GetClientRect(hwnd, &area);
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd, &paint);
    // A system colour index plus one stands for that colour's brush.
    FillRect(dc, &area, reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BACKGROUND + 1)));
    EndPaint(hwnd, &paint);
    return 1;
}
