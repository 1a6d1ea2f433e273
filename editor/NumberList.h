#pragma once

#include "framework/ComboBox.h"

#include <cstdint>
#include <vector>

// The texts "0" to "count - 1", written once for lists that show the same numbers:
// the drum map grid lists every drum tone in each of its 128 cells.
class NumberTexts {
public:
    explicit NumberTexts(int count);

    int count() const { return static_cast<int>(starts_.size()); }
    // The bytes of all the texts with their terminators.
    std::size_t textBytes() const { return chars_.size(); }
    const char* operator[](int i) const { return chars_.data() + starts_[static_cast<std::size_t>(i)]; }

private:
    std::vector<char> chars_;
    std::vector<std::uint32_t> starts_;
};

// Empties the list and lists `numbers` in order.
void fillWithNumbers(ComboBox& combo, const NumberTexts& numbers);
