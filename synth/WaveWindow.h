#pragma once

#include "bank/ToneRecord.h"

#include <algorithm>
#include <cstdint>

// The samples a voice may read. A bank file can claim any sampleCount or cycleSize, so
// a voice plays as if neither were larger than its waveform block; a tone without a
// waveform has nothing to read.
struct WaveWindow {
    const std::int8_t* samples = nullptr;
    std::uint32_t count = 0;
};

// The first `claimed` samples of the tone's waveform, cut to the block's size.
inline WaveWindow readableWave(const ToneRecord& tone, std::int32_t claimed)
{
    if (!tone.wave)
        return {};
    const std::size_t size = tone.wave->samples.size();
    const std::uint32_t count =
        static_cast<std::uint32_t>(std::min<std::size_t>(static_cast<std::uint32_t>(claimed), size));
    return {tone.wave->samples.data(), count};
}
