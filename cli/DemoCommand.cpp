#include "cli/Arguments.h"
#include "cli/BankInspection.h"
#include "cli/Command.h"
#include "cli/DemoBank.h"

namespace {

int runDemo(Arguments& args, CommandContext& context)
{
    const std::string path = args.positionals(1)[0];
    const auto bank = std::make_unique<ToneBank>();
    buildDemoBank(*bank);
    saveBankTo(*bank, path);
    context.out << "wrote demo bank " << path << ": " << bank->waveCount() << " waves, 128 programs, "
                << bank->drumToneCount() << " drum tones in drum set 0\n";
    return 0;
}

} // namespace

extern const Command demoCommand{
    "demo",
    "write a demo bank to listen to",
    "usage: zbk demo OUT.zbk\n"
    "\n"
    "Writes a bank that sounds at once: looped single-cycle waveforms (sine, square,\n"
    "saw, triangle and harmonic mixes) with envelopes and vibrato suited to each family\n"
    "of eight programs, decaying one-shots for the plucked and sound-effect families,\n"
    "and one drum set with bass drum, snares, hi-hats, toms and cymbals on the General\n"
    "MIDI drum notes. Program 0 at note 69 sounds at 440 Hz. An existing OUT.zbk is\n"
    "replaced only once the new file is complete.\n",
    runDemo,
};
