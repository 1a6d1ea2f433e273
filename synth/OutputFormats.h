#pragma once

#include "synth/Wrapping.h"

#include <cstdint>

// Adds one voice value into a mix frame. A one-channel voice on a two-channel device is
// split by pan: the right channel takes (v x (128 - pan)) >> 7 and the left the rest,
// so at pan 64 an odd value leaves its extra unit on the left (3 -> 2 and 1, -3 -> -1
// and -2).
inline void mixMono(std::int32_t* mix, std::uint32_t frame, std::int32_t v, std::int32_t)
{
    mix[frame] = wrapAdd(mix[frame], v);
}

inline void mixPanned(std::int32_t* mix, std::uint32_t frame, std::int32_t v, std::int32_t pan)
{
    const std::int32_t right = wrapMul(v, wrapSub(128, pan)) >> 7;
    std::int32_t* out = mix + 2 * static_cast<std::size_t>(frame);
    out[0] = wrapAdd(out[0], wrapSub(v, right));
    out[1] = wrapAdd(out[1], right);
}

// The four output formats of the device (sample width x channel count). Each gives the
// envelope and vibrato shifts of the instrument amplitude, how a sample s times an
// instrument amplitude or a drum gain becomes a mix value, and how that value is mixed.
// 8-bit formats produce 8-bit sample units, 16-bit formats 16-bit units.
struct Output8Mono {
    static constexpr int envelopeShift = 23;
    static constexpr int vibratoShift = 26;
    static std::int32_t instrumentValue(std::int32_t s, std::int32_t a) { return wrapMul(s, a) >> 7; }
    static std::int32_t drumValue(std::int32_t s, std::int32_t g) { return (s * g) >> 7; }
    static constexpr auto mix = mixMono;
};

struct Output8Stereo {
    static constexpr int envelopeShift = 23;
    static constexpr int vibratoShift = 26;
    static std::int32_t instrumentValue(std::int32_t s, std::int32_t a) { return wrapMul(s, a) >> 6; }
    static std::int32_t drumValue(std::int32_t s, std::int32_t g) { return (s * g) >> 7; }
    static constexpr auto mix = mixPanned;
};

struct Output16Mono {
    static constexpr int envelopeShift = 22;
    static constexpr int vibratoShift = 25;
    static std::int32_t instrumentValue(std::int32_t s, std::int32_t a) { return wrapMul(s, a); }
    static std::int32_t drumValue(std::int32_t s, std::int32_t g) { return 2 * s * g; }
    static constexpr auto mix = mixMono;
};

struct Output16Stereo {
    static constexpr int envelopeShift = 21;
    static constexpr int vibratoShift = 24;
    static std::int32_t instrumentValue(std::int32_t s, std::int32_t a) { return wrapMul(s, a); }
    static std::int32_t drumValue(std::int32_t s, std::int32_t g) { return 2 * s * g; }
    static constexpr auto mix = mixPanned;
};
