#pragma once

#include "bank/ToneBank.h"

#include <cstdint>

// The drum sets as the drum map editor holds them, apart from any bank: the maps of all
// 128 sets, the program-to-set map and the number of sets in use (1 to 128).

// Adds a set that starts as a copy of the last one; false, changing nothing, when all
// 128 are in use.
bool appendDrumSetCopy(ToneBank::DrumMaps& maps, std::int32_t& count);

// Removes set `set`, one of the `count` in use: the sets above it move down a place (set
// 127 keeps its old contents as well) and the program changes that named them follow.
// Program entries are compared unsigned, so one below 0 moves down with them.
void removeDrumSet(ToneBank::DrumMaps& maps, ToneBank::DrumSetMap& setMap, std::int32_t& count, std::int32_t set);
