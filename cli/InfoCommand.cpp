#include "cli/Arguments.h"
#include "cli/BankInspection.h"
#include "cli/Command.h"

namespace {

int runInfo(Arguments& args, CommandContext& context)
{
    const bool json = args.takeFlag("--json");
    const std::string path = args.positionals(1)[0];
    ToneBank bank;
    const std::string format = openBank(bank, path);
    if (json)
        writeBankJson(bank, format, context.out);
    else
        writeBankSummary(bank, format, context.out);
    return 0;
}

} // namespace

extern const Command infoCommand{
    "info",
    "describe a bank",
    "usage: zbk info [--json] BANK\n"
    "\n"
    "Prints the bank's version, counts, wave sizes, which tones play which wave, the\n"
    "tones without a wave, and which drum programs select each drum set.\n"
    "\n"
    "  --json   print the whole bank as one JSON object instead: version,\n"
    "           instrumentTones, drumTones, drumSetCount, drumMaps, drumSetMap, waves.\n"
    "           A tone's \"wave\" is its wave number, or null when it has none.\n",
    runInfo,
};
