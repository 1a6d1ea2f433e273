#include "synth/ToneConversion.h"

#include "audio/Wrapping.h"

#include <initializer_list>

namespace {

// Halving is an arithmetic shift, so -7 becomes -4, as the voice has always rounded.
std::int32_t halve(std::int32_t value)
{
    return value >> 1;
}

} // namespace

void convertToneToRate(ToneRecord& tone, std::int32_t sampleRate)
{
    std::int32_t (*faster)(std::int32_t) = nullptr; // applied to per-sample amounts
    std::int32_t (*slower)(std::int32_t) = nullptr; // applied to counts of samples
    if (sampleRate == 44100) {
        faster = halve;
        slower = wrapDouble;
    } else if (sampleRate == 11025) {
        faster = wrapDouble;
        slower = halve;
    } else {
        return;
    }

    if (tone.drumAlgorithm != 0) {
        tone.amplitude = faster(tone.amplitude);
        tone.gainRate = faster(tone.gainRate);
        return;
    }
    for (std::int32_t* rate : {&tone.AR, &tone.DR, &tone.NR, &tone.SR, &tone.RR, &tone.gainRate})
        *rate = faster(*rate);
    tone.startDelay = slower(tone.startDelay);
}
