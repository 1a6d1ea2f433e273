#pragma once

#include "bank/ToneBank.h"
#include "midi/Song.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// What a song asks of a bank, as General MIDI plays it: the tenth channel (index 9) plays
// drums, its program choosing the drum set; every other channel plays instrument tone p
// for program p (0 until a program change).
struct SongUsage {
    static constexpr std::uint8_t drumChannel = 9;

    std::array<std::uint64_t, 16> notesPerChannel{}; // note-ons with a velocity above 0
    std::vector<std::uint32_t> programs;             // instrument programs that sound a note, ascending
    std::vector<std::uint32_t> drumPrograms;         // drum-channel programs that sound a note, ascending
    std::vector<std::uint32_t> drumNotes;            // notes of the drum channel, ascending
    // Every drum note with the drum-channel program it sounded under.
    struct DrumNote {
        std::uint32_t program;
        std::uint32_t note;
    };
    std::vector<DrumNote> drumProgramNotes; // by program, then note
};

SongUsage surveySong(const midi::Song& song);

// A program or drum note of the song that plays nothing in a bank, and why.
struct SilentSound {
    bool drum = false;
    std::uint32_t program = 0; // the instrument program, or the drum channel's program
    std::uint32_t drumSet = 0; // for a drum note: the set the program selects
    std::uint32_t note = 0;    // for a drum note
    std::string cause;
};

// What in `usage` plays nothing in `bank`: a tone without a wave or with 0 samples, a drum
// note whose map entry is -1 or names a drum tone the bank does not have.
std::vector<SilentSound> findSilentSounds(const SongUsage& usage, const ToneBank& bank);
