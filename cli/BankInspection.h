#pragma once

#include "bank/ToneBank.h"

#include <ostream>
#include <string>
#include <vector>

// Loads a bank for a command and gives its format ("ZBK0" or "ZBK1"); a file that
// cannot be read is a CommandError that says why.
std::string openBank(ToneBank& bank, const std::string& path);
// Saves a bank for a command (atomically); failure is a CommandError.
void saveBankTo(const ToneBank& bank, const std::string& path);

// What a voice or a reader would trip on, one readable line each: counts above a wave,
// map entries that name what is not there.
std::vector<std::string> findInconsistencies(const ToneBank& bank);
// What merely plays nothing, one line for each kind: tones without a wave or without
// samples, drum-map notes without a drum tone.
std::vector<std::string> findEmptyParts(const ToneBank& bank);

// "0-3, 7, 9-10": a sorted list of numbers with runs joined.
std::string describeNumbers(const std::vector<std::uint32_t>& numbers);

void writeBankSummary(const ToneBank& bank, const std::string& version, std::ostream& out);
void writeBankJson(const ToneBank& bank, const std::string& version, std::ostream& out);
