#pragma once

#include "bank/ToneRecord.h"
#include "synth/Envelope.h"
#include "synth/Vibrato.h"
#include "synth/VoiceState.h"
#include "synth/WaveWindow.h"

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

template <class Output> inline void renderInstrumentFrames(VoiceState& v, const ToneRecord& tone,
                                                           const WaveWindow& wave, std::int32_t pan, std::int32_t* mix,
                                                           std::uint32_t frames)
{
    const std::uint32_t loopReturn = static_cast<std::uint32_t>(tone.loopReturn);
    // A tone changed under a sounding voice may be shorter than where the voice is.
    if (!keepInsideWave(v, wave.count, loopReturn))
        return;
    for (std::uint32_t i = 0; i < frames; ++i) {
        if (!stepEnvelope(v, tone))
            return;
        const std::int32_t a = amplitudeWithVibrato<Output::envelopeShift, Output::vibratoShift>(v, tone);
        const std::int32_t s = wave.samples[whole(v.position)];
        Output::mix(mix, i, Output::instrumentValue(s, a), pan);
        v.position += v.step;
        if (whole(v.position) >= wave.count && !keepInsideWave(v, wave.count, loopReturn))
            return;
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
