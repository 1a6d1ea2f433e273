#pragma once

#include "soundfont/Generators.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A SoundFont 2 file as the import reads it: the 16-bit sample data and the preset,
// instrument and sample headers, with every index already checked against the lists
// it points into.

// One sample header. Positions count 16-bit samples from the start of the sample data;
// they are checked against it only where a zone uses them (the offsets of a zone move
// them).
struct SoundFontSample {
    std::string name;
    std::uint32_t start = 0;
    std::uint32_t end = 0;
    std::uint32_t loopStart = 0;
    std::uint32_t loopEnd = 0;
    std::uint32_t sampleRate = 0;
    std::uint8_t originalPitch = 60;
    std::int8_t pitchCorrection = 0;
    std::uint16_t link = 0;
    std::uint16_t type = 1;

    static constexpr std::uint16_t monoType = 1;
    static constexpr std::uint16_t rightType = 2;
    static constexpr std::uint16_t leftType = 4;
    static constexpr std::uint16_t linkedType = 8;
    static constexpr std::uint16_t compressedBit = 0x10;
    static constexpr std::uint16_t romBit = 0x8000;
};

// A zone: its generators and the number of modulators it carries. `target` is the
// instrument (preset zones) or sample (instrument zones) it plays.
struct SoundFontZone {
    GeneratorSet generators;
    std::uint32_t target = 0;
    std::uint32_t modulatorCount = 0;
};

// A preset or an instrument: its optional global zone and its local zones.
struct SoundFontLayer {
    std::string name;
    bool hasGlobalZone = false;
    SoundFontZone globalZone;
    std::vector<SoundFontZone> zones;
};

struct SoundFontPreset : SoundFontLayer {
    std::uint16_t program = 0;
    std::uint16_t bank = 0;
};

struct SoundFont {
    std::string name;
    std::uint16_t versionMajor = 0;
    std::uint16_t versionMinor = 0;
    // The 16-bit samples as the file stores them, little-endian.
    std::vector<unsigned char> sampleBytes;
    std::size_t sampleCount() const { return sampleBytes.size() / 2; }
    std::int16_t sample(std::size_t i) const
    {
        return static_cast<std::int16_t>(sampleBytes[2 * i] | (sampleBytes[2 * i + 1] << 8));
    }
    std::vector<SoundFontSample> samples;
    std::vector<SoundFontLayer> instruments;
    std::vector<SoundFontPreset> presets;
};
