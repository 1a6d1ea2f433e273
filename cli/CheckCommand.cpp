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
    for (const std::string& part : findEmptyParts(bank))
        context.out << "empty (plays nothing): " << part << '\n';
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
    "Lists every inconsistency the bank carries, what a voice or a reader would trip\n"
    "on: sample counts above the wave's size, cycle sizes above the sample count,\n"
    "drum-set map entries that name no drum set, and, while the bank has drum tones,\n"
    "drum-map entries that name none (-1 is an entry left empty). Then it lists, apart,\n"
    "what is merely empty and plays nothing: tones without a wave or without samples,\n"
    "drum-map notes without a drum tone; these do not fail the check.\n"
    "\n"
    "Exit status: 0 when the bank has no inconsistencies (empty parts or not), 2 when\n"
    "something was found, 1 when the bank could not be read.\n",
    runCheck,
};
