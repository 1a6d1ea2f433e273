#include "platform/windows/WideFileName.h"

#include <windows.h>

std::wstring wideFileName(const std::string& utf8)
{
    if (utf8.empty() || utf8.size() > 0x7fffffffu)
        return {};
    const int length = static_cast<int>(utf8.size());
    const int wideLength = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), length, nullptr, 0);
    if (wideLength <= 0)
        return {};
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), length, wide.data(), wideLength);
    // A name with a NUL inside would name a different, shorter file.
    if (wide.find(L'\0') != std::wstring::npos)
        return {};
    return wide;
}
