#pragma once

#include "audio/PanSplit.h"
#include "audio/Wrapping.h"

#include <cstdint>

// Adds one voice value into a mix frame; on two channels it is split by pan (mixPanned).
inline void mixMono(std::int32_t* mix, std::uint32_t frame, std::int32_t v, std::int32_t)
{
    mix[frame] = wrapAdd(mix[frame], v);
}

// The four output formats of the device (sample width x channel count). Each gives the
// envelope and vibrato shifts of the instrument amplitude, how a sample s times an
// instrument amplitude or a drum gain becomes a mix value, and how that value is mixed.
// 8-bit formats produce 8-bit sample units, 16-bit formats 16-bit units; a stereo
// 8-bit instrument value is twice the mono one, because the pan split halves it.
template <int envelopeShiftValue, int vibratoShiftValue, int instrumentShift, bool eightBit, bool stereoValue>
struct OutputFormat {
    static constexpr int envelopeShift = envelopeShiftValue;
    static constexpr int vibratoShift = vibratoShiftValue;
    static constexpr int valueShift = instrumentShift;
    static constexpr bool stereo = stereoValue;
    static std::int32_t instrumentValue(std::int32_t s, std::int32_t a) { return wrapMul(s, a) >> instrumentShift; }
    // s is a signed 8-bit sample and g at most 127, so the product cannot overflow.
    static std::int32_t drumValue(std::int32_t s, std::int32_t g) { return eightBit ? (s * g) >> 7 : 2 * s * g; }
    // The same as a sample times an amplitude >> a shift, for loops that render both.
    static std::int32_t drumAmplitude(std::int32_t g) { return eightBit ? g : 2 * g; }
    static constexpr int drumValueShift = eightBit ? 7 : 0;
    static constexpr auto mix = stereo ? mixPanned : mixMono;
};

using Output8Mono = OutputFormat<23, 26, 7, true, false>;
using Output8Stereo = OutputFormat<23, 26, 6, true, true>;
using Output16Mono = OutputFormat<22, 25, 0, false, false>;
using Output16Stereo = OutputFormat<21, 24, 0, false, true>;
