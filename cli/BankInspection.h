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

// Every inconsistency the bank carries, one readable line each.
std::vector<std::string> findInconsistencies(const ToneBank& bank);

// "0-3, 7, 9-10": a sorted list of numbers with runs joined.
std::string describeNumbers(const std::vector<std::uint32_t>& numbers);

void writeBankSummary(const ToneBank& bank, const std::string& version, std::ostream& out);
void writeBankJson(const ToneBank& bank, const std::string& version, std::ostream& out);
