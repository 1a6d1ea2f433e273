#pragma once

#include "bank/ToneBank.h"

#include <array>
#include <cstdint>
#include <vector>

// The bank's tones as General MIDI plays them, copied once so that a note-on on the render
// thread only looks them up: program p of an ordinary channel is instrument tone p; on the
// drum channel program p chooses drum set DrumSetMap[p] (a set the bank does not have
// plays set 0) and note n plays the drum tone DrumMap[set][n]. Every wave reference is
// resolved against the bank's table, so a void one plays nothing.
class GeneralMidiTones {
public:
    // Identifies a tone among those of the bank: programs 0..127, drum tones after them.
    using ToneId = std::uint32_t;
    static constexpr ToneId noTone = 0xFFFFFFFFu;

    explicit GeneralMidiTones(const ToneBank& bank);

    ToneId instrument(std::uint8_t program) const { return program & 0x7F; }
    // noTone for a map entry of -1 or one naming a drum tone the bank does not have.
    ToneId drum(std::uint8_t program, std::uint8_t note) const;
    const ToneRecord& tone(ToneId id) const { return tones_[id]; }

private:
    std::vector<ToneRecord> tones_; // the instrument tones, then the drum tones
    ToneBank::DrumMaps drumMaps_;
    std::array<std::uint32_t, ToneBank::programCount> drumSetOfProgram_;
};
