#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The arguments of one command. Options are taken by name; whatever is left must be
// positional, and a leftover option is an error.
class Arguments {
public:
    explicit Arguments(std::vector<std::string> args);

    bool helpRequested() const;
    // The value after `--name`, removed from the list; empty when absent.
    std::optional<std::string> takeOption(const std::string& name);
    // Whether `--name` was given (it takes no value), removed from the list.
    bool takeFlag(const std::string& name);
    // The positional arguments, once every option was taken; exactly `count` of them
    // unless `atLeast` allows more.
    std::vector<std::string> positionals(std::size_t count, bool atLeast = false);

private:
    std::vector<std::string> args_;
};

// Whole decimal numbers within [min, max]; anything else is a CommandError naming `what`.
std::int64_t parseInteger(const std::string& text, std::int64_t min, std::int64_t max, const std::string& what);
// Decimal numbers such as "1.5"; non-negative and finite.
double parseSeconds(const std::string& text, const std::string& what);
// "-", which names standard input by the usual convention, is refused as an input file:
// banks, songs and WAV files are read from regular files only, since their readers need
// the file's size and seek in it. A CommandError that says so.
void refuseStandardInput(const std::string& path);
