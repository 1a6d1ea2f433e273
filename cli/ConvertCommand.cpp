#include "cli/Arguments.h"
#include "cli/BankInspection.h"
#include "cli/Command.h"

namespace {

int runConvert(Arguments& args, CommandContext& context)
{
    const std::vector<std::string> paths = args.positionals(2);
    ToneBank bank;
    openBank(bank, paths[0]);
    saveBankTo(bank, paths[1]);
    context.out << "wrote " << paths[1] << " (ZBK1)\n";
    return 0;
}

} // namespace

extern const Command convertCommand{
    "convert",
    "rewrite a ZBK0 or ZBK1 bank as ZBK1",
    "usage: zbk convert IN.zbk OUT.zbk\n"
    "\n"
    "Loads a ZBK0 or ZBK1 bank and saves it as ZBK1. Tones of a ZBK0 bank get loop\n"
    "return 0 and their own number as group number (program p: p, drum tone i: 128+i).\n",
    runConvert,
};
