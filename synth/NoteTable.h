#pragma once

#include <array>
#include <cstdint>

// Frequencies are carried in Hz x 128 (25.7 fixed point): the argument of noteOn.
constexpr std::uint32_t frequencyUnit = 128;
constexpr std::uint32_t noteTableSize = 132;

// The frequency of every MIDI note, Hz x 128; entries 128..131 repeat note 127.
extern const std::array<std::uint32_t, noteTableSize> noteFrequencyTable;

// Entry `note` of the table; an index past the end gives the last entry.
std::uint32_t noteFrequency(std::uint32_t note);
