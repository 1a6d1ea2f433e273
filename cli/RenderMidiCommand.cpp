#include "cli/Arguments.h"
#include "cli/BankInspection.h"
#include "cli/Command.h"
#include "cli/PcmWavFile.h"
#include "cli/SongFile.h"
#include "cli/SongRender.h"

namespace {

int runRenderMidi(Arguments& args, CommandContext& context)
{
    const auto output = args.takeOption("-o");
    if (!output)
        throw CommandError("-o OUT.wav is required");
    const SongRenderOptions options = takeSongRenderOptions(args);
    const std::vector<std::string> paths = args.positionals(2);
    const auto bank = std::make_unique<ToneBank>();
    openBank(*bank, paths[0]);
    SongPlayer player(loadSongFile(paths[1], context), *bank, options.player);

    const OutputFormat& format = options.format;
    PcmWavFile file(*output, {static_cast<std::uint16_t>(format.bits), static_cast<std::uint32_t>(format.rate),
                              static_cast<std::uint16_t>(format.channels)});
    renderSongOffline(player, options, file);
    file.commit();
    const auto frames = file.dataBytes() / static_cast<std::uint64_t>(format.bits / 8 * format.channels);
    context.out << "wrote " << *output << ": " << frames << " frames (" << static_cast<double>(frames) / format.rate
                << " s; the song lasts " << static_cast<double>(player.songFrames()) / format.rate << " s)\n";
    return 0;
}

} // namespace

extern const Command renderMidiCommand{
    "render-midi",
    "render a Standard MIDI File with the bank's tones to a WAV file",
    "usage: zbk render-midi BANK SONG.mid -o OUT.wav [--rate 11025|22050|44100] [--bits 8|16]\n"
    "                       [--channels 1|2] [--voices N] [--gain G] [--tail S]\n"
    "\n"
    "Plays the song on the bank through the sound device without a sound card, as General\n"
    "MIDI assigns it: program P of a channel plays instrument tone P, and the tenth channel\n"
    "plays drums, its program choosing the drum set through the drum-set map and each note\n"
    "its drum tone through the set's drum map. Every event takes effect at the start of the\n"
    "render block (about 4 ms) that holds its time, so the same arguments always give the\n"
    "same file, and the file's first sample is the song's start.\n"
    "\n"
    "The render goes on after the song's end (its latest End of Track) until every voice has\n"
    "ended, at most S seconds, and stops with the device buffer (about 64 ms) in which that\n"
    "happened. The file is written as the song plays and replaces OUT.wav only when whole.\n"
    "\n"
    "  --voices N   notes that sound at once, 1-1024 (default 32); a note beyond them takes\n"
    "               the voice of a released note, the quietest, else of the oldest note,\n"
    "               which fades out within two blocks instead of stopping with a click\n"
    "  --gain G     the device's mix is multiplied by G before it is clipped to the output\n"
    "               (default 0.125, which keeps ordinary songs on 32 voices from clipping;\n"
    "               1 gives the voices' own mix, sample for sample)\n"
    "  --tail S     seconds the voices may sound after the song's end (default 3)\n"
    "  --rate, --bits, --channels  the device's format (default 44100 Hz, 16 bits, 2)\n"
    "\n"
    "A voice's volume is 127 x (velocity x volume x expression / 127^3)^2, at least 1;\n"
    "controllers 1 (modulation), 7, 10 (pan), 11, 64 (sustain pedal), 120, 121 and 123, and\n"
    "pitch bend with its range set by registered parameter 0 (default 2 semitones) are\n"
    "played; bank select and the rest are read and ignored.\n",
    runRenderMidi,
};
