#include "cli/Arguments.h"
#include "cli/BankInspection.h"
#include "cli/Command.h"
#include "cli/SongFile.h"
#include "cli/SongUsage.h"
#include "midi/TempoMap.h"

#include <optional>

namespace {

// Seconds to the millisecond, rounded down as the tempo map rounds: "196.153".
std::string secondsText(std::uint64_t microseconds)
{
    const std::uint64_t milliseconds = microseconds / 1000;
    std::string fraction = std::to_string(milliseconds % 1000);
    return std::to_string(milliseconds / 1000) + "." + std::string(3 - fraction.size(), '0') + fraction;
}

std::string divisionText(const midi::Division& division)
{
    if (!division.smpte)
        return std::to_string(division.ticksPerQuarter) + " ticks per quarter note";
    const std::string fps =
        division.framesPerSecond == 29 ? "29.97 (30000/1001)" : std::to_string(division.framesPerSecond);
    return "SMPTE, " + fps + " frames per second, " + std::to_string(division.ticksPerFrame) + " ticks per frame";
}

std::string numbersOrNone(const std::vector<std::uint32_t>& numbers)
{
    return numbers.empty() ? "none" : describeNumbers(numbers);
}

void writeSummary(const midi::Song& song, std::uint64_t length, const SongUsage& usage,
                  const std::optional<std::string>& bankPath, const std::vector<SilentSound>& silent, std::ostream& out)
{
    out << "format:        " << song.format << '\n'
        << "division:      " << divisionText(song.division) << '\n'
        << "tracks:        " << song.trackCount << '\n'
        << "length:        " << secondsText(length) << " s (" << song.endTick << " ticks)\n";
    for (std::uint32_t c = 0; c < usage.notesPerChannel.size(); ++c) {
        if (usage.notesPerChannel[c] == 0)
            continue;
        const std::string label = "channel " + std::to_string(c + 1) + ":";
        out << label << std::string(label.size() < 15 ? 15 - label.size() : 1, ' ') << usage.notesPerChannel[c]
            << (usage.notesPerChannel[c] == 1 ? " note" : " notes") << (c == SongUsage::drumChannel ? " (drums)" : "")
            << '\n';
    }
    out << "programs:      " << numbersOrNone(usage.programs) << '\n'
        << "drum programs: " << numbersOrNone(usage.drumPrograms) << '\n'
        << "drum notes:    " << numbersOrNone(usage.drumNotes) << '\n';
    if (!bankPath)
        return;
    if (silent.empty()) {
        out << "every program and drum note of the song plays in " << *bankPath << '\n';
        return;
    }
    out << "plays nothing in " << *bankPath << ":\n";
    for (const SilentSound& sound : silent) {
        if (sound.drum)
            out << "  drum note " << sound.note << " (drum program " << sound.program << ", drum set " << sound.drumSet
                << "): " << sound.cause << '\n';
        else
            out << "  program " << sound.program << ": " << sound.cause << '\n';
    }
}

void writeJsonNumbers(const std::vector<std::uint32_t>& numbers, std::ostream& out)
{
    out << '[';
    for (std::size_t i = 0; i < numbers.size(); ++i)
        out << (i ? "," : "") << numbers[i];
    out << ']';
}

void writeJson(const midi::Song& song, std::uint64_t length, const SongUsage& usage, bool withBank,
               const std::vector<SilentSound>& silent, std::ostream& out)
{
    const midi::Division& division = song.division;
    out << "{\"format\":" << song.format << ",\n\"division\":";
    if (division.smpte)
        out << "{\"framesPerSecond\":" << int{division.framesPerSecond}
            << ",\"ticksPerFrame\":" << int{division.ticksPerFrame} << '}';
    else
        out << "{\"ticksPerQuarter\":" << division.ticksPerQuarter << '}';
    out << ",\n\"tracks\":" << song.trackCount << ",\n\"endTick\":" << song.endTick
        << ",\n\"lengthSeconds\":" << secondsText(length) << ",\n\"notesPerChannel\":[";
    for (std::size_t c = 0; c < usage.notesPerChannel.size(); ++c)
        out << (c ? "," : "") << usage.notesPerChannel[c];
    out << "],\n\"programs\":";
    writeJsonNumbers(usage.programs, out);
    out << ",\n\"drumPrograms\":";
    writeJsonNumbers(usage.drumPrograms, out);
    out << ",\n\"drumNotes\":";
    writeJsonNumbers(usage.drumNotes, out);
    if (withBank) {
        // The causes are the program's own phrases, free of quotes and backslashes.
        out << ",\n\"silent\":[";
        for (std::size_t i = 0; i < silent.size(); ++i) {
            const SilentSound& sound = silent[i];
            out << (i ? ",\n" : "\n");
            if (sound.drum)
                out << "{\"drumProgram\":" << sound.program << ",\"drumSet\":" << sound.drumSet
                    << ",\"note\":" << sound.note;
            else
                out << "{\"program\":" << sound.program;
            out << ",\"cause\":\"" << sound.cause << "\"}";
        }
        out << ']';
    }
    out << "}\n";
}

int runMidiInfo(Arguments& args, CommandContext& context)
{
    const bool json = args.takeFlag("--json");
    const std::optional<std::string> bankPath = args.takeOption("--bank");
    const std::string path = args.positionals(1)[0];
    ToneBank bank;
    if (bankPath)
        openBank(bank, *bankPath);
    const midi::Song song = loadSongFile(path, context);
    const std::uint64_t length = midi::TempoMap(song).microsecondsAt(song.endTick);
    const SongUsage usage = surveySong(song);
    const std::vector<SilentSound> silent = bankPath ? findSilentSounds(usage, bank) : std::vector<SilentSound>{};
    if (json)
        writeJson(song, length, usage, bankPath.has_value(), silent, context.out);
    else
        writeSummary(song, length, usage, bankPath, silent, context.out);
    return 0;
}

} // namespace

extern const Command midiInfoCommand{
    "midi-info",
    "describe a Standard MIDI File and what it needs of a bank",
    "usage: zbk midi-info SONG.mid [--bank BANK] [--json]\n"
    "\n"
    "Prints the song's format, division, track count and length (seconds to the\n"
    "millisecond, up to its latest End of Track), the notes on each channel, the\n"
    "programs that play notes, and the programs and notes of the drum channel\n"
    "(channel 10). Channels are numbered 1 to 16, programs and notes from 0, as the\n"
    "bank numbers its tones.\n"
    "\n"
    "  --bank BANK  also list what of the song plays nothing in BANK: a program whose\n"
    "               tone has no wave or 0 samples, and a drum note whose entry, in the\n"
    "               drum set the drum channel's program selects through the drum-set\n"
    "               map (set 0 when the map names no set), is -1 or names a drum tone\n"
    "               the bank does not have or that has no wave or 0 samples.\n"
    "  --json       print one JSON object instead: format, division (ticksPerQuarter,\n"
    "               or framesPerSecond and ticksPerFrame), tracks, endTick,\n"
    "               lengthSeconds, notesPerChannel (16 counts, channel 1 first),\n"
    "               programs, drumPrograms, drumNotes and, with --bank, silent: one\n"
    "               object per program (program, cause) or drum note (drumProgram,\n"
    "               drumSet, note, cause) that plays nothing.\n"
    "\n"
    "What the reader read past or found cut short is printed to standard error as\n"
    "\"zbk: warning: ...\" lines; a file it cannot read is an error that names the track\n"
    "and byte where it failed.\n",
    runMidiInfo,
};
