#pragma once

#include "bank/ToneBank.h"

#include <ostream>
#include <string>
#include <vector>

// Loads a bank for a command; a file that cannot be read is a CommandError that says why.
void openBank(ToneBank& bank, const std::string& path);
// Saves a bank for a command (atomically); failure is a CommandError.
void saveBankTo(const ToneBank& bank, const std::string& path);
// "ZBK0" or "ZBK1", as the file's first four bytes say.
std::string bankVersion(const std::string& path);

// Every inconsistency the bank carries, one readable line each.
std::vector<std::string> findInconsistencies(const ToneBank& bank);

// "0-3, 7, 9-10": a sorted list of numbers with runs joined.
std::string describeNumbers(const std::vector<std::uint32_t>& numbers);

void writeBankSummary(const ToneBank& bank, const std::string& version, std::ostream& out);
void writeBankJson(const ToneBank& bank, const std::string& version, std::ostream& out);
