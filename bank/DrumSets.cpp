#include "bank/DrumSets.h"

#include <algorithm>

bool appendDrumSetCopy(ToneBank::DrumMaps& maps, std::int32_t& count)
{
    if (count >= static_cast<std::int32_t>(ToneBank::drumSetCapacity))
        return false;
    maps[static_cast<std::size_t>(count)] = maps[static_cast<std::size_t>(count - 1)];
    ++count;
    return true;
}

void removeDrumSet(ToneBank::DrumMaps& maps, ToneBank::DrumSetMap& setMap, std::int32_t& count, std::int32_t set)
{
    for (std::int32_t& entry : setMap) {
        if (static_cast<std::uint32_t>(entry) > static_cast<std::uint32_t>(set))
            --entry;
    }
    std::copy(maps.begin() + set + 1, maps.end(), maps.begin() + set);
    --count;
}
