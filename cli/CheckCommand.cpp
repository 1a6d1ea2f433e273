#include "cli/Arguments.h"
#include "cli/BankInspection.h"
#include "cli/Command.h"

namespace {

int runCheck(Arguments& args, CommandContext& context)
{
    const std::string path = args.positionals(1)[0];
    ToneBank bank;
    openBank(bank, path);
    const std::vector<std::string> problems = findInconsistencies(bank);
    for (const std::string& problem : problems)
        context.out << problem << '\n';
    if (problems.empty()) {
        context.out << path << ": no inconsistencies\n";
        return 0;
    }
    context.out << path << ": " << problems.size() << " inconsistencies\n";
    return 2;
}

} // namespace

extern const Command checkCommand{
    "check",
    "list a bank's inconsistencies",
    "usage: zbk check BANK\n"
    "\n"
    "Lists every inconsistency the bank carries: drum-map entries that name no drum\n"
    "tone, drum-set map entries that name no drum set, cycle sizes above the sample\n"
    "count, sample counts above the wave's size, and tones without a wave.\n"
    "\n"
    "Exit status: 0 when the bank is clean, 2 when something was found, 1 when the\n"
    "bank could not be read.\n",
    runCheck,
};
