#include "cli/Arguments.h"

#include "cli/Command.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>

Arguments::Arguments(std::vector<std::string> args) : args_(std::move(args)) {}

bool Arguments::helpRequested() const
{
    return std::find_if(args_.begin(), args_.end(), [](const std::string& a) { return a == "--help" || a == "-h"; }) !=
           args_.end();
}

std::optional<std::string> Arguments::takeOption(const std::string& name)
{
    auto found = std::find(args_.begin(), args_.end(), name);
    if (found == args_.end())
        return std::nullopt;
    if (found + 1 == args_.end())
        throw CommandError(name + " needs a value");
    std::string value = *(found + 1);
    args_.erase(found, found + 2);
    if (std::find(args_.begin(), args_.end(), name) != args_.end())
        throw CommandError(name + " given more than once");
    return value;
}

bool Arguments::takeFlag(const std::string& name)
{
    auto found = std::find(args_.begin(), args_.end(), name);
    if (found == args_.end())
        return false;
    args_.erase(found);
    return true;
}

std::vector<std::string> Arguments::positionals(std::size_t count, bool atLeast)
{
    for (const std::string& a : args_)
        if (a.size() > 1 && a[0] == '-' && !(a[1] >= '0' && a[1] <= '9'))
            throw CommandError("unknown option " + a);
    if (args_.size() < count || (!atLeast && args_.size() > count))
        throw CommandError(args_.size() < count ? "missing arguments (see --help)" : "too many arguments (see --help)");
    return args_;
}

std::int64_t parseInteger(const std::string& text, std::int64_t min, std::int64_t max, const std::string& what)
{
    errno = 0;
    char* end = nullptr;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno == ERANGE || value < min || value > max)
        throw CommandError(what + " must be a whole number from " + std::to_string(min) + " to " + std::to_string(max) +
                           ", not \"" + text + "\"");
    return value;
}

double parseSeconds(const std::string& text, const std::string& what)
{
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !std::isfinite(value) || value < 0 || value > 3600)
        throw CommandError(what + " must be a number of seconds from 0 to 3600, not \"" + text + "\"");
    return value;
}

void refuseStandardInput(const std::string& path)
{
    if (path == "-")
        throw CommandError(
            "cannot read standard input (-): banks, songs and WAV files are read from regular files only; "
            "save it to a file first");
}
