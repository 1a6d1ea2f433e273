#include "cli/Arguments.h"
#include "cli/BankInspection.h"
#include "cli/Command.h"
#include "soundfont/SoundFontImport.h"
#include "soundfont/SoundFontReader.h"

#include <cmath>
#include <cstdio>

namespace {

// "0-7,24,40-47": the programs to import.
std::bitset<128> parsePrograms(const std::string& text)
{
    std::bitset<128> programs;
    std::size_t begin = 0;
    while (begin <= text.size()) {
        const std::size_t comma = std::min(text.find(',', begin), text.size());
        const std::string item = text.substr(begin, comma - begin);
        const std::size_t dash = item.find('-', 1);
        const auto first = parseInteger(item.substr(0, dash), 0, 127, "a program in --programs");
        const auto last = dash == std::string::npos
                              ? first
                              : parseInteger(item.substr(dash + 1), first, 127, "a range's end in --programs");
        for (auto p = first; p <= last; ++p)
            programs.set(static_cast<std::size_t>(p));
        begin = comma + 1;
    }
    return programs;
}

// A JSON string. Names in fonts are single bytes of no declared encoding: bytes past
// ASCII are taken as Latin-1, so that the output is always valid.
std::string json(const std::string& text)
{
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20 || byte >= 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", byte);
            out += escape;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string cents(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", value);
    return text;
}

void writeNotes(const std::vector<std::string>& notes, std::ostream& out)
{
    out << '[';
    for (std::size_t i = 0; i < notes.size(); ++i)
        out << (i ? "," : "") << json(notes[i]);
    out << ']';
}

void writeToneJson(const ImportedTone& tone, std::ostream& out)
{
    out << "\"key\":" << tone.key << ",\"sample\":" << json(tone.sample) << ",\"rootKey\":" << tone.rootKey
        << ",\"loops\":" << (tone.loops ? "true" : "false") << ",\"pitchErrorCents\":" << cents(tone.pitchErrorCents)
        << ",\"wave\":" << tone.wave;
    if (tone.drumTone >= 0)
        out << ",\"drumTone\":" << tone.drumTone;
    out << ",\"notes\":";
    writeNotes(tone.notes, out);
}

void writeReportJson(const SoundFontImportReport& report, const std::string& target, std::ostream& out)
{
    out << "{\"font\":" << json(report.fontName) << ",\"bank\":" << json(target)
        << ",\"wavesAdded\":" << report.wavesAdded << ",\"drumTonesAdded\":" << report.drumTonesAdded
        << ",\"warnings\":";
    writeNotes(report.warnings, out);
    out << ",\n\"programs\":[";
    for (std::size_t i = 0; i < report.programs.size(); ++i) {
        const ImportedProgram& program = report.programs[i];
        out << (i ? ",\n" : "\n") << "{\"program\":" << program.program << ",\"preset\":" << json(program.preset)
            << ",\"imported\":" << (program.imported ? "true" : "false") << ',';
        writeToneJson(program.tone, out);
        out << '}';
    }
    out << "],\n\"drumSets\":[";
    for (std::size_t i = 0; i < report.drumSets.size(); ++i) {
        const ImportedDrumSet& set = report.drumSets[i];
        out << (i ? ",\n" : "\n") << "{\"program\":" << set.program << ",\"drumSet\":" << set.drumSet
            << ",\"preset\":" << json(set.preset) << ",\"notes\":";
        writeNotes(set.notes, out);
        out << ",\"keys\":[";
        for (std::size_t k = 0; k < set.keys.size(); ++k) {
            out << (k ? ",\n" : "\n") << '{';
            writeToneJson(set.keys[k], out);
            out << '}';
        }
        out << "]}";
    }
    out << "]}\n";
}

void writeSummary(const SoundFontImportReport& report, std::ostream& out)
{
    std::vector<std::uint32_t> imported, leftOut;
    const ImportedProgram* worst = nullptr;
    for (const ImportedProgram& program : report.programs) {
        (program.imported ? imported : leftOut).push_back(program.program);
        if (program.imported &&
            (!worst || std::abs(program.tone.pitchErrorCents) > std::abs(worst->tone.pitchErrorCents)))
            worst = &program;
    }
    out << "font " << json(report.fontName) << ": " << imported.size() << " programs";
    if (!imported.empty())
        out << " (" << describeNumbers(imported) << ")";
    std::size_t keys = 0, keysLeftOut = 0;
    for (const ImportedDrumSet& set : report.drumSets)
        for (const ImportedTone& key : set.keys)
            ++(key.drumTone >= 0 ? keys : keysLeftOut);
    out << ", " << report.drumSets.size() << " drum sets with " << keys << " keys; " << report.wavesAdded
        << " waves and " << report.drumTonesAdded << " drum tones added\n";
    if (worst)
        out << "largest pitch error: " << cents(worst->tone.pitchErrorCents) << " cents (program " << worst->program
            << ")\n";
    for (const ImportedProgram& program : report.programs)
        if (!program.imported)
            out << "program " << program.program << " " << json(program.preset) << " "
                << (program.tone.notes.empty() ? std::string("left out") : program.tone.notes.back()) << '\n';
    if (keysLeftOut > 0)
        out << keysLeftOut << " drum keys left out (see --json)\n";
    for (const ImportedDrumSet& set : report.drumSets)
        for (const std::string& note : set.notes)
            out << "drum set of program " << set.program << " " << json(set.preset) << ": " << note << '\n';
    for (const std::string& warning : report.warnings)
        out << "warning: " << warning << '\n';
}

int runImportSf2(Arguments& args, CommandContext& context)
{
    const std::optional<std::string> output = args.takeOption("-o");
    const std::optional<std::string> into = args.takeOption("--into");
    const std::optional<std::string> programs = args.takeOption("--programs");
    SoundFontImportOptions options;
    options.drums = !args.takeFlag("--no-drums");
    const bool asJson = args.takeFlag("--json");
    const std::string fontPath = args.positionals(1)[0];
    if (!output)
        throw CommandError("-o OUT is needed: where to write the bank");
    if (programs)
        options.programs = parsePrograms(*programs);

    ToneBank bank;
    if (into) {
        openBank(bank, *into);
        options.newBank = false;
    }
    refuseStandardInput(fontPath);
    SoundFont font;
    std::string refusal;
    if (!readSoundFont(fontPath.c_str(), font, refusal))
        throw CommandError("cannot import " + fontPath + ": " + refusal + "; nothing was saved");
    const SoundFontImportReport report = importSoundFont(font, bank, options);
    saveBankTo(bank, *output);
    if (asJson) {
        writeReportJson(report, *output, context.out);
    } else {
        writeSummary(report, context.out);
        context.out << "wrote " << *output << '\n';
    }
    return 0;
}

} // namespace

extern const Command importSf2Command{
    "import-sf2",
    "make a bank from a SoundFont 2 file's General MIDI presets",
    "usage: zbk import-sf2 FONT.sf2 -o OUT.zbk [--into BANK.zbk] [--programs LIST]\n"
    "                      [--no-drums] [--json]\n"
    "\n"
    "Reads a SoundFont 2 file and writes a bank that plays its General MIDI presets as\n"
    "closely as the bank's tones can: preset P of bank 0 becomes instrument tone P,\n"
    "made from the zone that plays key 60 at velocity 100 (or the nearest key that has\n"
    "a zone), its sample an 8-bit wave converted as WAV import converts, its loop, its\n"
    "pitch (the wave is resampled where a whole cycle size would be more than 2 cents\n"
    "off) and its volume envelope as five linear stages. Each preset P of bank 128\n"
    "becomes a drum set that drum program P selects (preset 0, the standard kit, is set\n"
    "0): each key a drum tone that plays its sample once at the speed that gives the\n"
    "key's pitch. Waves and drum tones are shared wherever tones use the same data.\n"
    "Filters, modulators, LFOs, effects and the right side of stereo samples are not\n"
    "carried over; the report says, tone by tone, what was approximated or dropped. A\n"
    "font too large for the bank is cut with a warning that says what was left out.\n"
    "In a new bank, programs the font lacks and drum keys no kit plays stay silent.\n"
    "Compressed (SoundFont 3) files are refused.\n"
    "\n"
    "  -o OUT.zbk       where to write the bank (replaced only once it is complete)\n"
    "  --into BANK.zbk  start from this bank and replace only what the font has: its\n"
    "                   programs, and for each kit the keys it plays (a kit whose drum\n"
    "                   set other programs share gets a set of its own)\n"
    "  --programs LIST  import only these programs, e.g. 0-7,24,40-47 (drum kits are\n"
    "                   not affected)\n"
    "  --no-drums       leave the drum kits out\n"
    "  --json           print the whole report as JSON: for every program and every\n"
    "                   drum key the sample, root key, loop, pitch error in cents and\n"
    "                   notes on what was approximated or dropped\n"
    "\n"
    "Without --json a short summary is printed.\n",
    runImportSf2,
};
