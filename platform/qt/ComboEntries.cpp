#include "platform/qt/ComboEntries.h"

#include <cstring>

namespace win32qt {

std::size_t ComboEntries::startOf(int index) const
{
    if (index == count_) {
        return chars_.size();
    }
    std::size_t start = marks_[static_cast<std::size_t>(index / markEvery)];
    for (int skip = index % markEvery; skip > 0; --skip) {
        start += std::strlen(chars_.data() + start) + 1;
    }
    return start;
}

const char* ComboEntries::text(int index) const
{
    return chars_.data() + startOf(index);
}

void ComboEntries::remark(int index)
{
    const int first = index - index % markEvery;
    marks_.resize(static_cast<std::size_t>(first / markEvery));
    std::size_t start = startOf(first);
    for (int i = first; i < count_; ++i) {
        if (i % markEvery == 0) {
            marks_.push_back(static_cast<std::uint32_t>(start));
        }
        start += std::strlen(chars_.data() + start) + 1;
    }
}

LONG_PTR ComboEntries::itemData(int index) const
{
    return data_.empty() ? 0 : data_[static_cast<std::size_t>(index)];
}

void ComboEntries::setItemData(int index, LONG_PTR value)
{
    if (data_.empty()) {
        if (value == 0) {
            return;
        }
        data_.resize(static_cast<std::size_t>(count_), 0);
    }
    data_[static_cast<std::size_t>(index)] = value;
}

void ComboEntries::reserve(std::size_t entries, std::size_t bytes)
{
    marks_.reserve(marks_.size() + entries / markEvery + 1);
    chars_.reserve(chars_.size() + bytes);
}

int ComboEntries::append(const char* text)
{
    if (count_ % markEvery == 0) {
        marks_.push_back(static_cast<std::uint32_t>(chars_.size()));
    }
    chars_.insert(chars_.end(), text, text + std::strlen(text) + 1);
    if (!data_.empty()) {
        data_.push_back(0);
    }
    return count_++;
}

int ComboEntries::insert(int index, const char* text)
{
    if (index == count_) {
        return append(text);
    }
    const auto at = static_cast<std::ptrdiff_t>(startOf(index));
    chars_.insert(chars_.begin() + at, text, text + std::strlen(text) + 1);
    ++count_;
    remark(index);
    if (!data_.empty()) {
        data_.insert(data_.begin() + index, 0);
    }
    return index;
}

void ComboEntries::remove(int index)
{
    const auto at = static_cast<std::ptrdiff_t>(startOf(index));
    const auto length = static_cast<std::ptrdiff_t>(std::strlen(chars_.data() + at) + 1);
    chars_.erase(chars_.begin() + at, chars_.begin() + at + length);
    --count_;
    remark(index);
    if (!data_.empty()) {
        data_.erase(data_.begin() + index);
    }
}

void ComboEntries::clear()
{
    std::vector<char>().swap(chars_);
    std::vector<std::uint32_t>().swap(marks_);
    std::vector<LONG_PTR>().swap(data_);
    count_ = 0;
}

} // namespace win32qt
