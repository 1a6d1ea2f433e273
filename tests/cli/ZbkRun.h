#pragma once

#include "cli/Command.h"

#include <sstream>
#include <string>
#include <vector>

// One run of the tool, in-process: its exit status and what it printed.
struct ZbkRun {
    int status;
    std::string out;
    std::string err;
};

inline ZbkRun zbk(const std::vector<std::string>& args)
{
    std::ostringstream out, err;
    const int status = runZbk(args, out, err);
    return {status, out.str(), err.str()};
}
