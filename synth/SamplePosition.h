#pragma once

#include <cstdint>

// Read positions and steps through a waveform: unsigned 32.32 fixed point, the whole
// part indexing the waveform directly (no interpolation), the fraction carrying into it.
using SamplePosition = std::uint64_t;

constexpr std::uint32_t whole(SamplePosition p)
{
    return static_cast<std::uint32_t>(p >> 32);
}

constexpr std::uint32_t fraction(SamplePosition p)
{
    return static_cast<std::uint32_t>(p);
}

constexpr SamplePosition makePosition(std::uint32_t wholePart, std::uint32_t fractionPart)
{
    return (static_cast<SamplePosition>(wholePart) << 32) | fractionPart;
}

constexpr SamplePosition withWhole(SamplePosition p, std::uint32_t wholePart)
{
    return makePosition(wholePart, fraction(p));
}

// A drum play speed of one waveform sample per output sample.
constexpr std::int32_t unitDrumSpeed = 65536;

// A drum play speed counts 1/65536 sample per output sample and may be negative; as a
// step it is sign-extended, so a negative speed walks the position backwards (wrapping).
constexpr SamplePosition drumStep(std::int32_t speed)
{
    return static_cast<SamplePosition>(static_cast<std::int64_t>(speed)) << 16;
}

// The step that plays `frequency` (Hz x 128) cycles of `cycleSize` samples per second at
// `sampleRate`: cycleSize x frequency x 2^25 / sampleRate. The product needs up to 77
// bits, so it is formed in 128 bits; a step beyond the 32.32 range saturates (the
// position is kept inside the waveform whatever the step).
SamplePosition instrumentStep(std::uint32_t cycleSize, std::uint32_t frequency, std::uint32_t sampleRate);

// A pitch ratio applied to a step: unsigned 32.32 fixed point, so that the unit ratio
// leaves a step exactly as it was.
using PitchRatio = std::uint64_t;
constexpr PitchRatio unitPitchRatio = PitchRatio{1} << 32;

// An instrument step times `ratio`; a product beyond the 32.32 range saturates.
SamplePosition bentStep(SamplePosition step, PitchRatio ratio);
// The drum step of `speed` (see drumStep) times `ratio`; a backwards speed stays backwards.
SamplePosition bentDrumStep(std::int32_t speed, PitchRatio ratio);
