#include "cli/SongUsage.h"

#include <bitset>

namespace {

constexpr std::uint8_t noteOn = 0x90;
constexpr std::uint8_t programChange = 0xC0;

std::vector<std::uint32_t> membersOf(const std::bitset<128>& set)
{
    std::vector<std::uint32_t> numbers;
    for (std::uint32_t i = 0; i < set.size(); ++i)
        if (set[i])
            numbers.push_back(i);
    return numbers;
}

// Why a tone plays nothing, as the voice decides it; empty when it plays.
std::string whyToneIsSilent(const ToneBank& bank, const ToneRecord& tone, const std::string& name)
{
    const std::int32_t wave = bank.findWave(tone.wave);
    if (wave < 0)
        return name + " has no wave";
    if (bank.waveSize(static_cast<std::uint32_t>(wave)) == 0)
        return name + " plays wave " + std::to_string(wave) + ", which has no samples";
    if (tone.sampleCount == 0)
        return name + " has 0 samples";
    return {};
}

} // namespace

SongUsage surveySong(const midi::Song& song)
{
    SongUsage usage;
    std::array<std::uint8_t, 16> program{};
    std::bitset<128> programs, drumPrograms, drumNotes;
    std::array<std::bitset<128>, 128> drumNotesOfProgram;
    for (const midi::ChannelEvent& event : song.events) {
        const std::uint8_t channel = event.channel();
        if (event.kind() == programChange) {
            program[channel] = event.data1;
        } else if (event.kind() == noteOn && event.data2 > 0) {
            ++usage.notesPerChannel[channel];
            if (channel == SongUsage::drumChannel) {
                drumPrograms.set(program[channel]);
                drumNotes.set(event.data1);
                drumNotesOfProgram[program[channel]].set(event.data1);
            } else {
                programs.set(program[channel]);
            }
        }
    }
    usage.programs = membersOf(programs);
    usage.drumPrograms = membersOf(drumPrograms);
    usage.drumNotes = membersOf(drumNotes);
    for (std::uint32_t p : usage.drumPrograms)
        for (std::uint32_t note : membersOf(drumNotesOfProgram[p]))
            usage.drumProgramNotes.push_back({p, note});
    return usage;
}

std::vector<SilentSound> findSilentSounds(const SongUsage& usage, const ToneBank& bank)
{
    std::vector<SilentSound> silent;
    for (std::uint32_t p : usage.programs) {
        std::string cause = whyToneIsSilent(bank, bank.getInstrumentTone(p), "its tone");
        if (!cause.empty())
            silent.push_back({false, p, 0, 0, std::move(cause)});
    }
    for (const SongUsage::DrumNote& drum : usage.drumProgramNotes) {
        const std::uint32_t set = bank.drumSetOfProgram(drum.program);
        const std::int32_t tone = bank.drumMaps()[set][drum.note];
        std::string cause;
        if (tone == ToneBank::noDrumTone)
            cause = "its drum map entry is -1";
        else if (tone < 0 || static_cast<std::uint32_t>(tone) >= bank.drumToneCount())
            cause = "its drum map names drum tone " + std::to_string(tone) + ", which the bank does not have";
        else
            cause = whyToneIsSilent(bank, bank.getDrumTone(static_cast<std::uint32_t>(tone)),
                                    "drum tone " + std::to_string(tone));
        if (!cause.empty())
            silent.push_back({true, drum.program, set, drum.note, std::move(cause)});
    }
    return silent;
}
