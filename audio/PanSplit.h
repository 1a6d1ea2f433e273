#pragma once

#include "audio/Wrapping.h"

#include <cstddef>
#include <cstdint>

// Adds a one-channel value into frame `frame` of a two-channel mix, split by pan (0..127):
// the right channel takes (v x (128 - pan)) >> 7 and the left the rest, so at pan 64 an
// odd value leaves its extra unit on the left (3 -> 2 and 1, -3 -> -1 and -2). The
// voice's output is defined with this arithmetic wrapping modulo 2^32, whatever values a
// bank file carries, and every source is mixed the same way.
inline void mixPanned(std::int32_t* mix, std::uint32_t frame, std::int32_t v, std::int32_t pan)
{
    const std::int32_t right = wrapMul(v, wrapSub(128, pan)) >> 7;
    std::int32_t* out = mix + 2 * static_cast<std::size_t>(frame);
    out[0] = wrapAdd(out[0], wrapSub(v, right));
    out[1] = wrapAdd(out[1], right);
}
