#include "cli/Arguments.h"
#include "cli/BankInspection.h"
#include "cli/Command.h"
#include "framework/File.h"

namespace {

int runImportWave(Arguments& args, CommandContext& context)
{
    const std::optional<std::string> output = args.takeOption("-o");
    const std::vector<std::string> paths = args.positionals(2, true);
    ToneBank bank;
    openBank(bank, paths[0]);
    // Every file is read before anything is saved, so one refused file saves nothing.
    for (std::size_t f = 1; f < paths.size(); ++f) {
        refuseStandardInput(paths[f]);
        WavRefusal refusal = WavRefusal::none;
        int openError = 0;
        if (!bank.importWav(paths[f].c_str(), &refusal, &openError)) {
            const std::string cause = describeWavRefusal(refusal);
            throw CommandError(
                "cannot import " + paths[f] + ": " +
                (refusal == WavRefusal::cannotOpen ? cause + ": " + describeOpenError(openError) : cause) +
                "; nothing was saved");
        }
        const std::uint32_t wave = bank.waveCount() - 1;
        context.out << "wave " << wave << ": " << bank.waveSize(wave) << " samples from " << paths[f] << '\n';
    }
    const std::string& target = output ? *output : paths[0];
    saveBankTo(bank, target);
    context.out << "wrote " << target << '\n';
    return 0;
}

} // namespace

extern const Command importWaveCommand{
    "import-wave",
    "append WAV files to a bank as new waves",
    "usage: zbk import-wave BANK WAV... [-o OUT]\n"
    "\n"
    "Appends each WAV file to the bank's wave table, in order, and saves the bank\n"
    "back over BANK (or to OUT). The files must be mono integer PCM with 8, 16, 24 or\n"
    "32-bit samples; each sample keeps its high byte. When the bank had no wave, the\n"
    "first one becomes the wave of every tone. Prints each new wave's number and\n"
    "length. If any file is refused, nothing is saved.\n"
    "\n"
    "  -o OUT   save to OUT instead of BANK\n",
    runImportWave,
};
