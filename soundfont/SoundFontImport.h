#pragma once

#include "bank/ToneBank.h"
#include "soundfont/SoundFont.h"

#include <bitset>
#include <cstdint>
#include <string>
#include <vector>

struct SoundFontImportOptions {
    // The instrument programs to take from the font's melodic presets (bank 0).
    std::bitset<128> programs = std::bitset<128>().set();
    // Whether the drum kits (bank 128) become drum sets.
    bool drums = true;
    // A new bank: the drum keys no kit plays are left empty. Into an existing bank only
    // what the font has is replaced.
    bool newBank = true;
};

// One imported tone: a program's, or one key's of a drum kit.
struct ImportedTone {
    int key = 60;       // the key whose zone was taken
    std::string sample; // the sample's name
    int rootKey = 60;
    bool loops = false;
    double pitchErrorCents = 0;     // what remains after the cycle size or speed was rounded
    std::int32_t wave = -1;         // wave index in the bank
    std::int32_t drumTone = -1;     // drum tone index, for drum keys
    std::vector<std::string> notes; // what was approximated or dropped
};

struct ImportedProgram {
    std::uint32_t program = 0;
    std::string preset;
    bool imported = false; // false: the notes say why it was left out
    ImportedTone tone;
};

struct ImportedDrumSet {
    std::uint32_t program = 0; // the drum channel's program that selects it
    std::uint32_t drumSet = 0;
    std::string preset;
    std::vector<ImportedTone> keys;
    std::vector<std::string> notes;
};

struct SoundFontImportReport {
    std::string fontName;
    std::vector<ImportedProgram> programs;
    std::vector<ImportedDrumSet> drumSets;
    // What was left out as a whole: limits of the bank reached, presets of other banks.
    std::vector<std::string> warnings;
    std::uint32_t wavesAdded = 0;
    std::uint32_t drumTonesAdded = 0;
};

// Puts the font's General MIDI presets into `bank`: preset p of bank 0 becomes
// instrument tone p, each preset of bank 128 a drum set that drum program p selects.
// Whatever does not fit the bank's limits is left out with a warning; the bank stays
// consistent throughout.
SoundFontImportReport importSoundFont(const SoundFont& font, ToneBank& bank, const SoundFontImportOptions& options);
