#include "cli/Arguments.h"
#include "cli/BankInspection.h"
#include "cli/Command.h"

#include <algorithm>
#include <limits>

namespace {

constexpr std::int64_t largestPosition = std::numeric_limits<std::uint32_t>::max();

// "A:B" or "A:B:PEAK", split at the colons.
std::vector<std::string> splitFields(const std::string& text, std::size_t count, const std::string& option)
{
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t colon = text.find(':', start);
        fields.push_back(text.substr(start, colon - start));
        if (colon == std::string::npos)
            break;
        start = colon + 1;
    }
    if (fields.size() != count)
        throw CommandError(option + " takes " + (count == 2 ? "A:B" : "A:B:PEAK") + ", not \"" + text + "\"");
    return fields;
}

struct Range {
    std::uint32_t a;
    std::uint32_t b;
};

Range parseRange(const std::vector<std::string>& fields, const std::string& option)
{
    return {static_cast<std::uint32_t>(parseInteger(fields[0], 0, largestPosition, option + " A")),
            static_cast<std::uint32_t>(parseInteger(fields[1], 0, largestPosition, option + " B"))};
}

// The samples a range covers once it is fitted to the wave, as the bank fits it.
std::string describeRange(Range range, std::uint32_t size)
{
    const std::uint32_t first = std::min({range.a, range.b, size});
    const std::uint32_t end = std::min(std::max(range.a, range.b), size);
    if (first == end)
        return "an empty range";
    return "samples " + std::to_string(first) + " to " + std::to_string(end - 1);
}

int runEdit(Arguments& args, CommandContext& context)
{
    const std::optional<std::string> output = args.takeOption("-o");
    const std::optional<std::string> waveText = args.takeOption("--wave");
    const std::optional<std::string> deletion = args.takeOption("--delete");
    const std::optional<std::string> normalization = args.takeOption("--normalize");
    const std::optional<std::string> smoothing = args.takeOption("--smooth");
    const std::optional<std::string> resize = args.takeOption("--resize");
    const std::optional<std::string> stretch = args.takeOption("--stretch");
    const std::string path = args.positionals(1)[0];
    if (!waveText)
        throw CommandError("--wave I is needed");
    const int operations = !!deletion + !!normalization + !!smoothing + !!resize + !!stretch;
    if (operations != 1)
        throw CommandError("give exactly one of --delete, --normalize, --smooth, --resize, --stretch");

    ToneBank bank;
    openBank(bank, path);
    const auto wave = static_cast<std::uint32_t>(parseInteger(*waveText, 0, largestPosition, "--wave"));
    if (wave >= bank.waveCount())
        throw CommandError("wave " + std::to_string(wave) + " does not exist; " + path + " has " +
                           std::to_string(bank.waveCount()) + " waves");
    const std::uint32_t size = bank.waveSize(wave);
    const std::string name = "wave " + std::to_string(wave) + ": ";

    if (deletion) {
        const Range range = parseRange(splitFields(*deletion, 2, "--delete"), "--delete");
        const std::string what = describeRange(range, size);
        if (!bank.deleteWaveRange(wave, range.a, range.b))
            throw CommandError("deleting " + what + " of wave " + std::to_string(wave) +
                               " would leave fewer than 4 samples");
        context.out << name << "deleted " << what << "; " << size << " -> " << bank.waveSize(wave) << " samples\n";
    } else if (normalization) {
        const std::vector<std::string> fields = splitFields(*normalization, 3, "--normalize");
        const Range range = parseRange(fields, "--normalize");
        const auto peak =
            static_cast<std::int32_t>(parseInteger(fields[2], std::numeric_limits<std::int32_t>::min(),
                                                   std::numeric_limits<std::int32_t>::max(), "--normalize PEAK"));
        bank.normalizeRange(wave, range.a, range.b, peak);
        context.out << name << "scaled " << describeRange(range, size) << " to peak " << peak << '\n';
    } else if (smoothing) {
        const Range range = parseRange(splitFields(*smoothing, 2, "--smooth"), "--smooth");
        bank.smoothRange(wave, range.a, range.b);
        context.out << name << "smoothed " << describeRange(range, size) << '\n';
    } else {
        const std::string& option = resize ? "--resize" : "--stretch";
        const auto length =
            static_cast<std::uint32_t>(parseInteger(resize ? *resize : *stretch, 0, largestPosition, option + " N"));
        if (length < ToneBank::shortestWave)
            throw CommandError(option + " " + std::to_string(length) + ": a wave needs at least " +
                               std::to_string(ToneBank::shortestWave) + " samples");
        const auto how = resize ? ToneBank::LengthChange::resize : ToneBank::LengthChange::stretch;
        if (bank.changeWaveLength(wave, length, how, ToneBank::ToneRescaling::everyToneOfTheWave) ==
            ToneBank::LengthResult::outOfMemory)
            throw CommandError("out of memory");
        context.out << name << (resize ? "resized " : "stretched ") << size << " -> " << length << " samples\n";
    }

    const std::string& target = output ? *output : path;
    saveBankTo(bank, target);
    context.out << "wrote " << target << '\n';
    return 0;
}

} // namespace

extern const Command editCommand{
    "edit",
    "delete, scale, smooth, resize or stretch one wave",
    "usage: zbk edit BANK --wave I OPERATION [-o OUT]\n"
    "\n"
    "Edits wave I (counting from 0) and saves the bank back over BANK (or to OUT).\n"
    "A range A:B means samples A to B-1; ends beyond the wave are lowered to its\n"
    "size and may come in either order. OPERATION is one of:\n"
    "\n"
    "  --delete A:B           remove the samples of the range\n"
    "  --normalize A:B:PEAK   scale the range so that its largest magnitude becomes\n"
    "                         PEAK (results are clamped to -128..127)\n"
    "  --smooth A:B           smooth the range with a 7-tap low-pass filter\n"
    "  --resize N             cut the wave to N samples or pad it with silence\n"
    "  --stretch N            resample the wave to N samples (no interpolation);\n"
    "                         every tone that plays the wave gets its cycle size\n"
    "                         and loop return rescaled by N / old length (the\n"
    "                         editor rescales only the tone it shows)\n"
    "\n"
    "Every tone that plays a wave whose length changes gets the new length as its\n"
    "sample count, and its cycle size is kept within it. An operation that would\n"
    "leave fewer than 4 samples, or a wave that does not exist, exits with status 1\n"
    "and saves nothing.\n",
    runEdit,
};
