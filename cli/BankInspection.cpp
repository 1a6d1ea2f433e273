#include "cli/BankInspection.h"

#include "cli/Arguments.h"
#include "cli/Command.h"
#include "platform/Memory.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

std::string openBank(ToneBank& bank, const std::string& path)
{
    refuseStandardInput(path);
    // The bank's waves take about the file's size, its tables and the reader's buffer a
    // little more.
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (!error)
        osmemory::prepareHeap(static_cast<std::size_t>(size + size / 4));
    BankLoadResult result;
    if (!bank.loadBank(path.c_str(), &result))
        throw CommandError((result.reason == BankLoadResult::cannotOpen ? "cannot open " : "cannot load ") + path +
                           ": " + describeBankLoadFailure(result));
    return result.format;
}

void saveBankTo(const ToneBank& bank, const std::string& path)
{
    if (!bank.saveBank(path.c_str()))
        throw CommandError("cannot save " + path + ": " + std::strerror(errno));
}

namespace {

// Calls visit(label, number, tone) for the 128 instrument tones and the drum tones in use.
template <typename Visit> void forEachTone(const ToneBank& bank, Visit visit)
{
    for (std::uint32_t p = 0; p < ToneBank::instrumentToneCount; ++p)
        visit("program", p, bank.getInstrumentTone(p));
    for (std::uint32_t d = 0; d < bank.drumToneCount(); ++d)
        visit("drum tone", d, bank.getDrumTone(d));
}

} // namespace

std::vector<std::string> findInconsistencies(const ToneBank& bank)
{
    std::vector<std::string> problems;
    // While there are no drum tones the drum maps are not used: what they name is empty,
    // not wrong (the bank a new editor saves names drum tone 0 in every note). -1 is an
    // entry left empty on purpose.
    const auto drumTones = static_cast<std::int64_t>(bank.drumToneCount());
    for (std::uint32_t s = 0; s < bank.drumSetCount() && drumTones > 0; ++s)
        for (std::uint32_t n = 0; n < ToneBank::notesPerDrumMap; ++n) {
            const std::int32_t entry = bank.drumMaps()[s][n];
            if (entry != ToneBank::noDrumTone && (entry < 0 || entry >= drumTones))
                problems.push_back("drum set " + std::to_string(s) + " note " + std::to_string(n) +
                                   " names drum tone " + std::to_string(entry) + ", but there are " +
                                   std::to_string(drumTones) + " drum tones");
        }
    for (std::uint32_t p = 0; p < ToneBank::programCount; ++p) {
        const std::int32_t entry = bank.drumSetMap()[p];
        if (entry < 0 || static_cast<std::uint32_t>(entry) >= bank.drumSetCount())
            problems.push_back("drum-set map program " + std::to_string(p) + " names drum set " +
                               std::to_string(entry) + ", but there are " + std::to_string(bank.drumSetCount()) +
                               " drum sets");
    }
    forEachTone(bank, [&](const char* kind, std::uint32_t number, const ToneRecord& tone) {
        const std::string name = std::string(kind) + " " + std::to_string(number);
        const auto cycle = static_cast<std::uint32_t>(tone.cycleSize);
        const auto samples = static_cast<std::uint32_t>(tone.sampleCount);
        if (cycle > samples)
            problems.push_back(name + ": cycle size " + std::to_string(cycle) + " is above its sample count " +
                               std::to_string(samples));
        const std::int32_t wave = bank.findWave(tone.wave);
        if (wave >= 0 && samples > bank.waveSize(static_cast<std::uint32_t>(wave)))
            problems.push_back(name + ": sample count " + std::to_string(samples) + " is above the size " +
                               std::to_string(bank.waveSize(static_cast<std::uint32_t>(wave))) + " of wave " +
                               std::to_string(wave));
    });
    return problems;
}

std::vector<std::string> findEmptyParts(const ToneBank& bank)
{
    std::vector<std::string> empty;
    std::vector<std::uint32_t> noWave[2], noSamples[2];
    forEachTone(bank, [&](const char* kind, std::uint32_t number, const ToneRecord& tone) {
        const int drum = std::strcmp(kind, "program") == 0 ? 0 : 1;
        if (bank.findWave(tone.wave) < 0)
            noWave[drum].push_back(number);
        else if (tone.sampleCount == 0)
            noSamples[drum].push_back(number);
    });
    const char* kinds[2] = {"programs", "drum tones"};
    for (int drum = 0; drum < 2; ++drum) {
        if (!noWave[drum].empty())
            empty.push_back(std::string(kinds[drum]) + " without a wave: " + describeNumbers(noWave[drum]));
        if (!noSamples[drum].empty())
            empty.push_back(std::string(kinds[drum]) + " with 0 samples: " + describeNumbers(noSamples[drum]));
    }
    if (bank.drumToneCount() == 0) {
        empty.push_back("no drum tones: the drum maps play nothing");
        return empty;
    }
    for (std::uint32_t s = 0; s < bank.drumSetCount(); ++s) {
        std::vector<std::uint32_t> unmapped;
        for (std::uint32_t n = 0; n < ToneBank::notesPerDrumMap; ++n)
            if (bank.drumMaps()[s][n] == ToneBank::noDrumTone)
                unmapped.push_back(n);
        if (!unmapped.empty())
            empty.push_back("drum set " + std::to_string(s) +
                            " notes without a drum tone: " + describeNumbers(unmapped));
    }
    return empty;
}

std::string describeNumbers(const std::vector<std::uint32_t>& numbers)
{
    std::string text;
    for (std::size_t i = 0; i < numbers.size();) {
        std::size_t j = i;
        while (j + 1 < numbers.size() && numbers[j + 1] == numbers[j] + 1)
            ++j;
        if (!text.empty())
            text += ", ";
        text += std::to_string(numbers[i]);
        if (j > i)
            text += "-" + std::to_string(numbers[j]);
        i = j + 1;
    }
    return text;
}

void writeBankSummary(const ToneBank& bank, const std::string& version, std::ostream& out)
{
    std::uint64_t totalSamples = 0;
    for (std::uint32_t w = 0; w < bank.waveCount(); ++w)
        totalSamples += bank.waveSize(w);
    out << "version:          " << version << '\n'
        << "instrument tones: " << ToneBank::instrumentToneCount << '\n'
        << "drum tones:       " << bank.drumToneCount() << '\n'
        << "drum sets:        " << bank.drumSetCount() << '\n'
        << "waves:            " << bank.waveCount() << " (" << totalSamples << " samples)\n";

    // Who plays which wave, gathered in one pass over the tones.
    std::vector<std::vector<std::uint32_t>> programsOf(bank.waveCount()), drumsOf(bank.waveCount());
    std::vector<std::uint32_t> voidPrograms, voidDrums;
    forEachTone(bank, [&](const char* kind, std::uint32_t number, const ToneRecord& tone) {
        const bool program = std::strcmp(kind, "program") == 0;
        const std::int32_t wave = bank.findWave(tone.wave);
        if (wave < 0)
            (program ? voidPrograms : voidDrums).push_back(number);
        else
            (program ? programsOf : drumsOf)[static_cast<std::uint32_t>(wave)].push_back(number);
    });
    for (std::uint32_t w = 0; w < bank.waveCount(); ++w) {
        out << "wave " << w << ": " << bank.waveSize(w) << " samples";
        if (!programsOf[w].empty())
            out << "; programs " << describeNumbers(programsOf[w]);
        if (!drumsOf[w].empty())
            out << "; drum tones " << describeNumbers(drumsOf[w]);
        if (programsOf[w].empty() && drumsOf[w].empty())
            out << "; unused";
        out << '\n';
    }
    if (!voidPrograms.empty() || !voidDrums.empty()) {
        out << "void wave references:";
        if (!voidPrograms.empty())
            out << " programs " << describeNumbers(voidPrograms) << (voidDrums.empty() ? "" : ";");
        if (!voidDrums.empty())
            out << " drum tones " << describeNumbers(voidDrums);
        out << '\n';
    }
    for (std::uint32_t s = 0; s < bank.drumSetCount(); ++s) {
        std::vector<std::uint32_t> programs;
        for (std::uint32_t p = 0; p < ToneBank::programCount; ++p)
            if (bank.drumSetMap()[p] == static_cast<std::int32_t>(s))
                programs.push_back(p);
        out << "drum set " << s << ": selected by drum programs "
            << (programs.empty() ? std::string("none") : describeNumbers(programs)) << '\n';
    }
}

namespace {

void writeIntegers(std::ostream& out, const std::int32_t* values, std::size_t count)
{
    out << '[';
    for (std::size_t i = 0; i < count; ++i)
        out << (i ? "," : "") << values[i];
    out << ']';
}

void writeToneJson(const ToneBank& bank, const ToneRecord& tone, std::ostream& out)
{
    out << '{';
    for (int f = 0; f < ToneRecord::fieldCount; ++f) {
        out << (f ? "," : "") << '"' << ToneRecord::fieldName(f) << "\":";
        if (f == ToneRecord::waveField) {
            const std::int32_t wave = bank.findWave(tone.wave);
            if (wave < 0)
                out << "null";
            else
                out << wave;
        } else {
            out << tone.field(f);
        }
    }
    out << '}';
}

} // namespace

void writeBankJson(const ToneBank& bank, const std::string& version, std::ostream& out)
{
    out << "{\"version\":\"" << (version == "ZBK0" ? "ZBK0" : "ZBK1") << "\",\n\"instrumentTones\":[";
    for (std::uint32_t p = 0; p < ToneBank::instrumentToneCount; ++p) {
        out << (p ? ",\n" : "\n");
        writeToneJson(bank, bank.getInstrumentTone(p), out);
    }
    out << "],\n\"drumTones\":[";
    for (std::uint32_t d = 0; d < bank.drumToneCount(); ++d) {
        out << (d ? ",\n" : "\n");
        writeToneJson(bank, bank.getDrumTone(d), out);
    }
    out << "],\n\"drumSetCount\":" << bank.drumSetCount() << ",\n\"drumMaps\":[";
    for (std::uint32_t s = 0; s < bank.drumSetCount(); ++s) {
        out << (s ? ",\n" : "\n");
        writeIntegers(out, bank.drumMaps()[s].data(), ToneBank::notesPerDrumMap);
    }
    out << "],\n\"drumSetMap\":";
    writeIntegers(out, bank.drumSetMap().data(), ToneBank::programCount);
    out << ",\n\"waves\":[";
    for (std::uint32_t w = 0; w < bank.waveCount(); ++w)
        out << (w ? "," : "") << "\n{\"size\":" << bank.waveSize(w) << '}';
    out << "]}\n";
}
