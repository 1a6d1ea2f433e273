// Dialog items by id: numbers and texts in fields, check states.
#include <cctype>
#include <cstdio>
#include <string>

#include "platform/win32.h"

namespace {

// Reads the whole text as a decimal number: optional blanks, a minus sign for a signed
// field, at least one digit, optional blanks. Anything else, or a value outside the
// 32-bit range of the field, is no number.
bool parseDialogInt(const std::string& text, bool isSigned, UINT* value)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) {
        ++i;
    }
    bool negative = false;
    if (isSigned && i < text.size() && text[i] == '-') {
        negative = true;
        ++i;
    }
    const std::size_t firstDigit = i;
    unsigned long long magnitude = 0;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
        magnitude = magnitude * 10 + static_cast<unsigned>(text[i] - '0');
        if (magnitude > 0xFFFFFFFFull) {
            return false;
        }
        ++i;
    }
    if (i == firstDigit) {
        return false;
    }
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) {
        ++i;
    }
    if (i != text.size()) {
        return false;
    }
    if (isSigned) {
        const unsigned long long limit = negative ? 0x80000000ull : 0x7FFFFFFFull;
        if (magnitude > limit) {
            return false;
        }
        const long long signedValue = negative ? -static_cast<long long>(magnitude) : static_cast<long long>(magnitude);
        *value = static_cast<UINT>(static_cast<std::int32_t>(signedValue));
        return true;
    }
    *value = static_cast<UINT>(magnitude);
    return true;
}

std::string itemText(HWND dialog, int id)
{
    const HWND item = GetDlgItem(dialog, id);
    const int length = GetWindowTextLengthA(item);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const int copied = GetWindowTextA(item, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(copied));
    return text;
}

} // namespace

UINT WINAPI GetDlgItemInt(HWND dialog, int id, BOOL* translated, BOOL isSigned)
{
    if (translated != nullptr) {
        *translated = FALSE;
    }
    if (GetDlgItem(dialog, id) == nullptr) {
        return 0;
    }
    UINT value = 0;
    if (!parseDialogInt(itemText(dialog, id), isSigned != FALSE, &value)) {
        return 0;
    }
    if (translated != nullptr) {
        *translated = TRUE;
    }
    return value;
}

BOOL WINAPI SetDlgItemInt(HWND dialog, int id, UINT value, BOOL isSigned)
{
    char text[16];
    if (isSigned) {
        std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
    } else {
        std::snprintf(text, sizeof text, "%u", value);
    }
    return SetDlgItemTextA(dialog, id, text);
}

BOOL WINAPI SetDlgItemTextA(HWND dialog, int id, LPCSTR text)
{
    const HWND item = GetDlgItem(dialog, id);
    if (item == nullptr) {
        return FALSE;
    }
    return SetWindowTextA(item, text);
}

UINT WINAPI GetDlgItemTextA(HWND dialog, int id, LPSTR buffer, int bufferSize)
{
    if (buffer != nullptr && bufferSize > 0) {
        buffer[0] = '\0';
    }
    const HWND item = GetDlgItem(dialog, id);
    if (item == nullptr) {
        return 0;
    }
    return static_cast<UINT>(GetWindowTextA(item, buffer, bufferSize));
}

BOOL WINAPI CheckDlgButton(HWND dialog, int id, UINT check)
{
    const HWND item = GetDlgItem(dialog, id);
    if (item == nullptr) {
        return FALSE;
    }
    SendMessageA(item, BM_SETCHECK, check, 0);
    return TRUE;
}

UINT WINAPI IsDlgButtonChecked(HWND dialog, int id)
{
    return static_cast<UINT>(SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0));
}
