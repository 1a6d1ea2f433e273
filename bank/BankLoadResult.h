#pragma once

#include <cstdint>
#include <string>

// What loading a bank file found: the format it was in, or why it was not loaded, with
// what a message needs to name the cause.
struct BankLoadResult {
    enum Reason {
        none,
        cannotOpen,       // openError says why
        notZbk,           // the file does not start with ZBK0 or ZBK1
        truncated,        // the file ends before the parts its counts announce
        tooManyDrumTones, // count is the number the file claims
        tooManyDrumSets,
        tooManyWaves,
        wavesPastEnd, // the waves' sizes add up to more than the file holds
        readFailed,
        outOfMemory,
    };
    Reason reason = none;
    std::uint32_t count = 0;
    int openError = 0;        // File::openError
    const char* format = "?"; // "ZBK0" or "ZBK1", once the file's first bytes were read
};

// Why the bank was not loaded, as a short English phrase for messages: "it is a
// directory", "it claims 16385 drum tones, more than the 16384 a bank holds", ...
std::string describeBankLoadFailure(const BankLoadResult& result);
