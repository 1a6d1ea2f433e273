#include "player/GeneralMidiTones.h"

#include <unordered_set>

GeneralMidiTones::GeneralMidiTones(const ToneBank& bank) : drumMaps_(bank.drumMaps())
{
    for (std::uint32_t p = 0; p < ToneBank::programCount; ++p)
        drumSetOfProgram_[p] = bank.drumSetOfProgram(p);
    // The bank's own resolveWave searches its table for each reference; a set of the
    // table's blocks answers the same question at once for every tone.
    std::unordered_set<const WaveBlock*> blocks;
    for (std::uint32_t i = 0; i < bank.waveCount(); ++i)
        blocks.insert(bank.waveData(i).get());
    const auto resolved = [&blocks](ToneRecord tone) {
        if (!blocks.contains(tone.wave.get()))
            tone.wave.reset();
        return tone;
    };
    tones_.reserve(ToneBank::programCount + bank.drumToneCount());
    for (std::uint32_t p = 0; p < ToneBank::programCount; ++p)
        tones_.push_back(resolved(bank.getInstrumentTone(p)));
    for (std::uint32_t d = 0; d < bank.drumToneCount(); ++d)
        tones_.push_back(resolved(bank.getDrumTone(d)));
}

GeneralMidiTones::ToneId GeneralMidiTones::drum(std::uint8_t program, std::uint8_t note) const
{
    const std::int32_t entry = drumMaps_[drumSetOfProgram_[program & 0x7F]][note & 0x7F];
    if (entry < 0 || static_cast<std::uint32_t>(entry) >= tones_.size() - ToneBank::programCount)
        return noTone;
    return ToneBank::programCount + static_cast<std::uint32_t>(entry);
}
