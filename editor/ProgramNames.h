#pragma once

#include <array>
#include <cstddef>

constexpr std::size_t programNameCount = 128;

// The names the tone list and the audition dialog show for the 128 instrument tones,
// each led by its program number ("0: Piano 1").
extern const std::array<const char*, programNameCount> programNames;

class ComboBox;
// Makes `combo` the list of the 128 names, in program order.
void fillWithProgramNames(ComboBox& combo);
