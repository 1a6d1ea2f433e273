#include "framework/ComboBox.h"

int ComboBox::getCurSel()
{
    return static_cast<int>(SendMessageA(hwnd, CB_GETCURSEL, 0, 0));
}

int ComboBox::setCurSel(int index)
{
    return static_cast<int>(SendMessageA(hwnd, CB_SETCURSEL, static_cast<WPARAM>(index), 0));
}

int ComboBox::addString(const char* text)
{
    return static_cast<int>(SendMessageA(hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
}

int ComboBox::resetContent()
{
    return static_cast<int>(SendMessageA(hwnd, CB_RESETCONTENT, 0, 0));
}
