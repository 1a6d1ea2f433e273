#pragma once

#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

class Arguments;

// What a command writes to, and its exit status: 0 success, 1 an error (already
// reported as "zbk: ..."), other values as the command documents.
struct CommandContext {
    std::ostream& out;
    std::ostream& err;
};

struct Command {
    const char* name;
    const char* summary; // one line for `zbk --help`
    const char* usage;   // the whole text of `zbk NAME --help`
    int (*run)(Arguments& args, CommandContext& context);
};

// A mistake of the user's: reported as "zbk: <message>" with exit status 1.
struct CommandError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Every command of the tool, in the order `zbk --help` lists them.
const std::vector<Command>& allCommands();

// Runs the tool on `args` (without the program name) and gives its exit status.
int runZbk(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
