#pragma once

#include "bank/ToneRecord.h"
#include "synth/Envelope.h"
#include "synth/SteadyVectorLanes.h"
#include "synth/Vibrato.h"
#include "synth/VoiceState.h"
#include "synth/WaveWindow.h"

#include <algorithm>
#include <cstdint>

// Brings a read position that has passed the end of the waveform back into the loop,
// by as many loop lengths as it takes, however large the step; a tone without a loop
// (loopReturn at or past the end) ends there. False when the voice has ended.
inline bool keepInsideWave(VoiceState& voice, std::uint32_t end, std::uint32_t loopReturn)
{
    const std::uint32_t at = whole(voice.position);
    if (at < end)
        return true;
    if (end > loopReturn) {
        const std::uint32_t loopLength = end - loopReturn;
        voice.position = withWhole(voice.position, loopReturn + (at - loopReturn) % loopLength);
        return true;
    }
    endVoice(voice);
    return false;
}

// One output sample of an instrument voice, as the voice is defined: the envelope step,
// the amplitude with its vibrato, the waveform sample at the read position into the mix,
// the step, and the loop. False when the voice has ended.
template <class Output> inline bool renderInstrumentSample(VoiceState& v, const ToneRecord& tone,
                                                           const WaveWindow& wave, std::uint32_t loopReturn,
                                                           std::int32_t pan, std::int32_t* mix, std::uint32_t frame)
{
    if (!stepEnvelope(v, tone))
        return false;
    const std::int32_t a = amplitudeWithVibrato<Output::envelopeShift, Output::vibratoShift>(v, tone);
    const std::int32_t s = wave.samples[whole(v.position)];
    Output::mix(mix, frame, Output::instrumentValue(s, a), pan);
    v.position += v.step;
    return whole(v.position) < wave.count || keepInsideWave(v, wave.count, loopReturn);
}

// How many envelope steps from here leave the stage unended, when that follows from
// plain arithmetic: the level moves toward its target without wrapping. 0 when it does
// not (a target already passed, or levels far enough apart to wrap), so that such a
// stage is stepped one sample at a time, as defined.
inline std::uint64_t envelopeStepsBeforeTarget(const VoiceState& v)
{
    const std::int64_t rate = v.envRate;
    if (rate == 0)
        return UINT64_MAX;
    const std::int64_t distance = static_cast<std::int64_t>(v.envLevel) - v.envTarget;
    if (rate > 0) // rising: goes on while the level stays below its target
        return distance < 0 && distance >= INT32_MIN ? static_cast<std::uint64_t>((-distance - 1) / rate) : 0;
    // falling: goes on while the level stays at or above its target
    return distance >= 0 && distance <= INT32_MAX ? static_cast<std::uint64_t>(distance / -rate) : 0;
}

// Whether the amplitude vibrato adds nothing for the next samples whatever the counter:
// a depth of 0 that cannot grow.
inline bool vibratoIsSilent(const VoiceState& v, const ToneRecord& tone)
{
    return v.vibratoDepth == 0 && (v.vibratoDepth >= v.vibratoDepthMax || tone.gainRate == 0);
}

// How many samples from here the vibrato adds nothing: all of them when it cannot sound,
// else those before its counter, counting up, reaches 0 and it starts.
inline std::uint64_t samplesWithoutVibrato(const VoiceState& v, const ToneRecord& tone)
{
    if (vibratoIsSilent(v, tone))
        return UINT64_MAX;
    return v.lfoCounter < 0 ? static_cast<std::uint64_t>(-1 - std::int64_t{v.lfoCounter}) : 0;
}

// `count` samples in which no envelope stage ends, from mix frame `first`, one at a time:
// the arithmetic of renderInstrumentSample with the envelope's test left out. Without
// `vibrato` the stretch must be one where the vibrato adds nothing, and its counter is
// the caller's to advance. Adds the samples rendered to `done`; false when the voice
// ended at the end of a waveform without a loop, after its last sample.
template <class Output, bool vibrato>
inline bool renderSteadySamplesOneByOne(VoiceState& v, const ToneRecord& tone, const WaveWindow& wave,
                                        std::uint32_t loopReturn, std::int32_t pan, std::int32_t* mix,
                                        std::uint32_t first, std::uint32_t count, std::uint32_t& done)
{
    std::int32_t level = v.envLevel;
    const std::int32_t rate = v.envRate;
    const std::int32_t volume = v.volume;
    SamplePosition position = v.position;
    const SamplePosition step = v.step;
    const std::int8_t* samples = wave.samples;
    const std::uint32_t end = wave.count;
    for (std::uint32_t i = 0; i < count; ++i) {
        level = wrapAdd(level, rate);
        std::int32_t a;
        if constexpr (vibrato) {
            v.envLevel = level;
            a = amplitudeWithVibrato<Output::envelopeShift, Output::vibratoShift>(v, tone);
        } else {
            a = wrapMul(volume, level) >> Output::envelopeShift;
        }
        Output::mix(mix, first + i, Output::instrumentValue(samples[whole(position)], a), pan);
        position += step;
        if (whole(position) >= end) {
            v.position = position;
            if (!keepInsideWave(v, end, loopReturn)) {
                v.envLevel = level;
                done += i + 1;
                return false;
            }
            position = v.position;
        }
    }
    v.envLevel = level;
    v.position = position;
    done += count;
    return true;
}

// A stretch in which the vibrato sounds and its depth grows in a straight line (by
// `depthRate` a sample, 0 once it has reached its limit), no counter or depth wrapping.
struct SoundingVibrato {
    std::uint64_t samples = 0;
    std::int32_t depthRate = 0;
};

inline SoundingVibrato soundingVibrato(const VoiceState& v, const ToneRecord& tone)
{
    SoundingVibrato vibrato;
    if (v.lfoCounter < -1)
        return vibrato;
    const auto counting = static_cast<std::uint64_t>(INT32_MAX - std::int64_t{v.lfoCounter});
    if (v.vibratoDepth >= v.vibratoDepthMax) {
        vibrato.samples = counting;
    } else if (tone.gainRate > 0) {
        // The depth grows while it is below its limit before the sample.
        const std::int64_t below = std::int64_t{v.vibratoDepthMax} - v.vibratoDepth;
        const std::int64_t growing = (below + tone.gainRate - 1) / tone.gainRate;
        const std::int64_t roomy = (INT32_MAX - std::int64_t{v.vibratoDepth}) / tone.gainRate;
        vibrato.samples = static_cast<std::uint64_t>(std::min({std::int64_t(counting), growing, roomy}));
        vibrato.depthRate = tone.gainRate;
    }
    return vibrato;
}

// `count` samples from mix frame `first` in which no envelope stage ends and the vibrato
// adds nothing or, with `vibrato`, sounds with a depth growing by `depthRate` (see
// soundingVibrato), several at a time where the processor can and the read positions stay
// clear of the wave's end. False when the voice ended at the end of a waveform without
// a loop.
template <class Output, bool vibrato>
inline bool renderSteadySamples(VoiceState& v, const ToneRecord& tone, const WaveWindow& wave, std::uint32_t loopReturn,
                                std::int32_t pan, std::int32_t* mix, std::uint32_t first, std::uint32_t count,
                                std::int32_t depthRate = 0)
{
    std::uint32_t done = 0;
    bool sounding = true;
#ifdef ZBK_HAS_AVX2_FORMS
    using Format = LanesFormat<Output::envelopeShift, Output::valueShift, Output::vibratoShift, Output::stereo>;
    const bool lanes = vectorForms() != VectorForms::plain;
    while (lanes && count - done >= 8 && sounding) {
        const std::uint32_t laned =
            renderVectorLanes<Format, vibrato>(wave.count, loopReturn, true, v, vibratoPhaseShift(tone), depthRate,
                                               wave.samples, pan, mix, first + done, count - done);
        done += laned;
        // Where no turn of the lanes fits (the end of a wave without a loop, or of a loop
        // shorter than eight steps): on one at a time, round the loop if there is one.
        if (laned == 0)
            sounding = renderSteadySamplesOneByOne<Output, vibrato>(v, tone, wave, loopReturn, pan, mix, first + done,
                                                                    std::min<std::uint32_t>(count - done, 8), done);
    }
#endif
    if (sounding)
        sounding = renderSteadySamplesOneByOne<Output, vibrato>(v, tone, wave, loopReturn, pan, mix, first + done,
                                                                count - done, done);
    // Without the vibrato its counter still counts every sample.
    if constexpr (!vibrato)
        v.lfoCounter = wrapAdd(v.lfoCounter, static_cast<std::int32_t>(done));
    return sounding;
}

template <class Output> inline void renderInstrumentFrames(VoiceState& v, const ToneRecord& tone,
                                                           const WaveWindow& wave, std::int32_t pan, std::int32_t* mix,
                                                           std::uint32_t frames)
{
    const std::uint32_t loopReturn = static_cast<std::uint32_t>(tone.loopReturn);
    // A tone changed under a sounding voice may be shorter than where the voice is.
    if (!keepInsideWave(v, wave.count, loopReturn))
        return;
    std::uint32_t i = 0;
    while (i < frames) {
        const auto steady =
            static_cast<std::uint32_t>(std::min<std::uint64_t>(envelopeStepsBeforeTarget(v), frames - i));
        if (steady == 0) {
            if (!renderInstrumentSample<Output>(v, tone, wave, loopReturn, pan, mix, i))
                return;
            ++i;
            continue;
        }
        const auto plain = static_cast<std::uint32_t>(std::min<std::uint64_t>(samplesWithoutVibrato(v, tone), steady));
        const SoundingVibrato vibrato = plain > 0 ? SoundingVibrato{} : soundingVibrato(v, tone);
        const auto sounded = static_cast<std::uint32_t>(std::min<std::uint64_t>(vibrato.samples, steady));
        std::uint32_t n = steady;
        bool sounding;
        if (plain > 0) {
            n = plain;
            sounding = renderSteadySamples<Output, false>(v, tone, wave, loopReturn, pan, mix, i, n);
        } else if (sounded > 0) {
            n = sounded;
            sounding = renderSteadySamples<Output, true>(v, tone, wave, loopReturn, pan, mix, i, n, vibrato.depthRate);
        } else {
            // A depth that does not grow toward its limit, or a counter about to wrap.
            std::uint32_t done = 0;
            sounding = renderSteadySamplesOneByOne<Output, true>(v, tone, wave, loopReturn, pan, mix, i, n, done);
        }
        if (!sounding)
            return;
        i += n;
    }
}

// Adds `frames` frames of a sounding instrument voice into the mix: envelope, vibrato,
// the waveform at the voice's pitch, the loop, and the end of the voice.
template <class Output> void renderInstrument(VoiceState& voice, const ToneRecord& tone, std::int32_t pan,
                                              std::int32_t* mix, std::uint32_t frames)
{
    // Work on a copy: the mix buffer is int32 too, and the compiler must not have to
    // assume that every mix store changes the voice.
    VoiceState v = voice;
    renderInstrumentFrames<Output>(v, tone, readableWave(tone, tone.sampleCount), pan, mix, frames);
    voice = v;
}
