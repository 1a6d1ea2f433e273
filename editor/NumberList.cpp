#include "editor/NumberList.h"

#include <charconv>

NumberTexts::NumberTexts(int count)
{
    starts_.reserve(static_cast<std::size_t>(count > 0 ? count : 0));
    char text[12];
    for (int i = 0; i < count; ++i) {
        char* end = std::to_chars(text, text + sizeof text, i).ptr;
        starts_.push_back(static_cast<std::uint32_t>(chars_.size()));
        chars_.insert(chars_.end(), text, end);
        chars_.push_back('\0');
    }
}

void fillWithNumbers(ComboBox& combo, const NumberTexts& numbers)
{
    combo.resetContent();
    // Room for the whole list at once, so a list of thousands is not grown entry by entry.
    SendMessageA(combo.hwnd, CB_INITSTORAGE, static_cast<WPARAM>(numbers.count()),
                 static_cast<LPARAM>(numbers.textBytes()));
    for (int i = 0; i < numbers.count(); ++i)
        combo.addString(numbers[i]);
}
