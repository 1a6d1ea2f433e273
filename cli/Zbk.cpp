#include "cli/Arguments.h"
#include "cli/Command.h"

#include <exception>

namespace {

void printOverview(std::ostream& out)
{
    out << "usage: zbk COMMAND [ARGUMENTS]\n"
           "\n"
           "Reads, checks, edits and plays ZBK tone banks.\n"
           "\n"
           "Commands:\n";
    for (const Command& command : allCommands()) {
        std::string name = command.name;
        name.resize(14, ' ');
        out << "  " << name << command.summary << '\n';
    }
    out << "\nzbk COMMAND --help tells more about one command; zbk --version gives the version.\n";
}

} // namespace

int runZbk(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        printOverview(args.empty() ? err : out);
        return args.empty() ? 1 : 0;
    }
    if (args[0] == "--version") {
        out << "zbk " << ZBK_VERSION << '\n';
        return 0;
    }
    for (const Command& command : allCommands()) {
        if (args[0] != command.name)
            continue;
        Arguments arguments(std::vector<std::string>(args.begin() + 1, args.end()));
        if (arguments.helpRequested()) {
            out << command.usage;
            return 0;
        }
        CommandContext context{out, err};
        try {
            return command.run(arguments, context);
        } catch (const CommandError& error) {
            err << "zbk: " << error.what() << '\n';
        } catch (const std::bad_alloc&) {
            err << "zbk: out of memory\n";
        }
        return 1;
    }
    err << "zbk: unknown command \"" << args[0] << "\" (zbk --help lists them)\n";
    return 1;
}
