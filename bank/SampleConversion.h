#pragma once

#include <cstddef>
#include <cstdint>

// How wider PCM samples become the bank's signed 8-bit samples: each little-endian
// sample keeps its last (most significant) byte, which is the sample shifted right by
// the bits below it. WAV import and SoundFont import both convert this way, so a
// sample sounds the same whichever file brought it in. The width is a constant so that
// the loop vectorizes.
template <std::size_t width> void takeHighBytes(const unsigned char* in, std::int8_t* out, std::size_t count)
{
    for (std::size_t k = 0; k < count; ++k)
        out[k] = static_cast<std::int8_t>(in[k * width + width - 1]);
}
