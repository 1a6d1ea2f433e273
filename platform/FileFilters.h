// The filter list of a file dialog (OPENFILENAMEA::lpstrFilter): pairs of a description
// and a pattern, each ended by a null character, the list by one more.
#pragma once

#include <string>
#include <utility>
#include <vector>

// The (description, pattern) pairs of `filter`, none for a null list; a description
// without its pattern at the end is left out.
inline std::vector<std::pair<std::string, std::string>> fileDialogFilters(const char* filter)
{
    std::vector<std::pair<std::string, std::string>> filters;
    if (filter == nullptr) {
        return filters;
    }
    const char* p = filter;
    while (*p != '\0') {
        std::string description = p;
        p += description.size() + 1;
        if (*p == '\0') {
            break;
        }
        std::string pattern = p;
        p += pattern.size() + 1;
        filters.emplace_back(std::move(description), std::move(pattern));
    }
    return filters;
}
