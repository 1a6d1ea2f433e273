#pragma once

#include <array>
#include <bitset>
#include <cstdint>

// The generators of a SoundFont zone that the import reads, by their numbers in the
// file. The others are kept as they come (a zone may name any of the 61) and reported
// as dropped where they would change the sound.
namespace generator {
enum : std::uint16_t {
    startAddrsOffset = 0,
    endAddrsOffset = 1,
    startloopAddrsOffset = 2,
    endloopAddrsOffset = 3,
    startAddrsCoarseOffset = 4,
    modLfoToPitch = 5,
    vibLfoToPitch = 6,
    modEnvToPitch = 7,
    initialFilterFc = 8,
    initialFilterQ = 9,
    modLfoToFilterFc = 10,
    modEnvToFilterFc = 11,
    endAddrsCoarseOffset = 12,
    modLfoToVolume = 13,
    chorusEffectsSend = 15,
    reverbEffectsSend = 16,
    pan = 17,
    delayVolEnv = 33,
    attackVolEnv = 34,
    holdVolEnv = 35,
    decayVolEnv = 36,
    sustainVolEnv = 37,
    releaseVolEnv = 38,
    keynumToVolEnvHold = 39,
    keynumToVolEnvDecay = 40,
    instrument = 41,
    keyRange = 43,
    velRange = 44,
    startloopAddrsCoarseOffset = 45,
    keynum = 46,
    velocity = 47,
    initialAttenuation = 48,
    endloopAddrsCoarseOffset = 50,
    coarseTune = 51,
    fineTune = 52,
    sampleID = 53,
    sampleModes = 54,
    scaleTuning = 56,
    exclusiveClass = 57,
    overridingRootKey = 58,
};
} // namespace generator

constexpr std::uint16_t generatorCount = 61;

// The generators one zone gives, each a 16-bit amount (signed, or two range bytes, low
// key first). Unset generators are not in `given`.
struct GeneratorSet {
    std::array<std::int16_t, generatorCount> amount{};
    std::bitset<generatorCount> given;

    void set(std::uint16_t oper, std::int16_t value)
    {
        if (oper < generatorCount) {
            amount[oper] = value;
            given.set(oper);
        }
    }
    bool has(std::uint16_t oper) const { return oper < generatorCount && given.test(oper); }
    // This zone's value, else `fallback`'s (a global zone's), else `otherwise`.
    std::int32_t valueOr(std::uint16_t oper, const GeneratorSet& fallback, std::int32_t otherwise) const
    {
        if (has(oper))
            return amount[oper];
        if (fallback.has(oper))
            return fallback.amount[oper];
        return otherwise;
    }
};

// A key or velocity range: both ends included.
struct ByteRange {
    std::uint8_t low = 0;
    std::uint8_t high = 127;

    bool contains(int value) const { return value >= low && value <= high; }
    static ByteRange of(std::int16_t amount)
    {
        const auto bits = static_cast<std::uint16_t>(amount);
        return {static_cast<std::uint8_t>(bits & 0xFF), static_cast<std::uint8_t>(bits >> 8)};
    }
};
