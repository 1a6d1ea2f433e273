#pragma once

// What the program hands GetOpenFileNameA and GetSaveFileNameA, for the dialog tests.
#include "platform/win32.h"

#include <cstring>

// A request of the program's kind: the filter list, default extension and flags given,
// starting in `directory`, the answer going to `buffer` (emptied) of `size` bytes.
inline OPENFILENAMEA fileDialogRequest(HWND owner, const char* filter, const char* defaultExtension, DWORD flags,
                                       const char* directory, char* buffer, DWORD size)
{
    std::memset(buffer, 0, size);
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.hInstance = GetModuleHandleA(nullptr);
    ofn.lpstrFilter = filter;
    ofn.lpstrFile = buffer;
    ofn.nMaxFile = size;
    ofn.lpstrDefExt = defaultExtension;
    ofn.Flags = flags;
    ofn.lpstrInitialDir = directory;
    return ofn;
}
