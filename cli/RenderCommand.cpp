#include "cli/Arguments.h"
#include "cli/BankInspection.h"
#include "cli/Command.h"
#include "cli/NotePlan.h"
#include "cli/OutputFormat.h"
#include "cli/PcmWavFile.h"

namespace {

int runRender(Arguments& args, CommandContext& context)
{
    const auto output = args.takeOption("-o");
    if (!output)
        throw CommandError("-o OUT.wav is required");
    const OutputFormat format = takeOutputFormat(args);
    const std::int32_t rate = format.rate;
    const std::int32_t bits = format.bits;
    const std::int32_t channels = format.channels;

    NotePlan plan = takeNotePlan(args, true);
    const std::string bankPath = args.positionals(1)[0];
    const auto bank = std::make_unique<ToneBank>();
    openBank(*bank, bankPath);
    chooseTone(plan, *bank);

    PcmWavFile file(*output, {static_cast<std::uint16_t>(bits), static_cast<std::uint32_t>(rate),
                              static_cast<std::uint16_t>(channels)});
    renderNoteOffline(plan, bits, rate, channels, file);
    file.commit();
    const std::int32_t frameBytes = bits / 8 * channels;
    context.out << "wrote " << *output << ": " << file.dataBytes() / static_cast<std::uint64_t>(frameBytes)
                << " frames, " << bits << "-bit, " << channels << " channel" << (channels == 1 ? "" : "s") << ", "
                << rate << " Hz\n";
    return 0;
}

} // namespace

extern const Command renderCommand{
    "render",
    "render one note of a tone to a WAV file",
    "usage: zbk render BANK (--program P | --drum D) --note N [--hold S] [--release S]\n"
    "                  [--volume V] [--modulation M] [--rate 11025|22050|44100]\n"
    "                  [--bits 8|16] [--channels 1|2] -o OUT.wav\n"
    "\n"
    "Plays one note of instrument tone P (0-127) or drum tone D on one voice, through\n"
    "the sound device without a sound card, and writes what it rendered as PCM WAV.\n"
    "Each tone plays with its own algorithm (instrument or drum).\n"
    "\n"
    "  --note N        entry 0-131 of the note table: the MIDI note, 69 is A at 440 Hz\n"
    "  --hold S        seconds before the key is released (default 1)\n"
    "  --release S     seconds rendered after the release (default 1)\n"
    "  --volume V      0-127 (default 127)\n"
    "  --modulation M  0-255, adds M/4 units of vibrato depth (default 0)\n"
    "  --rate, --bits, --channels  the device's format (default 44100 Hz, 16 bits, 2)\n"
    "\n"
    "Times are rounded to whole device buffers (16 blocks, about 64 ms). The same\n"
    "arguments always give the same file.\n",
    runRender,
};
