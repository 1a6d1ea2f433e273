// The entries of one combo box's list, kept compactly: the drum map grid holds 128
// lists of up to 16384 entries each.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/win32.h"

namespace win32qt {

// The texts lie in one block of characters in list order, each ended by a zero; the
// start of every sixteenth entry is kept, and an entry is found from the one marked
// before it. Entries carry item data only once the program gives one some.
class ComboEntries {
public:
    int count() const { return count_; }
    // The text of entry `index`, which must exist; it stays valid until the list changes.
    const char* text(int index) const;

    LONG_PTR itemData(int index) const;
    void setItemData(int index, LONG_PTR value);

    // Room for `entries` more entries with `bytes` more characters.
    void reserve(std::size_t entries, std::size_t bytes);
    // Adds at the end; the new entry's index.
    int append(const char* text);
    // Adds before entry `index` (0 to count()).
    int insert(int index, const char* text);
    void remove(int index);
    // Empties the list and gives its memory back.
    void clear();

private:
    static constexpr int markEvery = 16;

    std::size_t startOf(int index) const;
    // Marks the entries from `index` on again, after the block changed there.
    void remark(int index);

    std::vector<char> chars_;
    std::vector<std::uint32_t> marks_;
    int count_ = 0;
    // Empty while no entry has item data; otherwise one value per entry.
    std::vector<LONG_PTR> data_;
};

} // namespace win32qt
