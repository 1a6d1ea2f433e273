#pragma once

#include <array>
#include <cstdint>

constexpr std::uint32_t vibratoTableSize = 256;

// One cycle of an inverted cosine of amplitude 127, starting at its minimum: the
// shape of the amplitude vibrato (and the samples of the reference tone).
extern const std::array<std::int32_t, vibratoTableSize> vibratoTable;
