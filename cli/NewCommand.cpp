#include "cli/Arguments.h"
#include "cli/BankInspection.h"
#include "cli/Command.h"

namespace {

int runNew(Arguments& args, CommandContext& context)
{
    const std::string path = args.positionals(1)[0];
    const auto bank = std::make_unique<ToneBank>();
    saveBankTo(*bank, path);
    context.out << "wrote empty bank " << path << '\n';
    return 0;
}

} // namespace

extern const Command newCommand{
    "new",
    "write an empty bank",
    "usage: zbk new OUT.zbk\n"
    "\n"
    "Writes an empty bank: 128 zeroed instrument tones, no drum tones, one drum set\n"
    "and no waves. An existing OUT.zbk is replaced only once the new file is complete.\n",
    runNew,
};
