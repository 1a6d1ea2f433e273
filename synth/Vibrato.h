#pragma once

#include "bank/ToneRecord.h"
#include "synth/VibratoTable.h"
#include "synth/VoiceState.h"
#include "audio/Wrapping.h"

// How far the vibrato's phase is shifted down to index its table; the count is taken
// modulo 32 like the shifter.
inline std::uint32_t vibratoPhaseShift(const ToneRecord& tone)
{
    return (24u - static_cast<std::uint32_t>(tone.frequencyShift)) & 31u;
}

// The amplitude factor of one output sample: volume x envelope level, plus the
// amplitude vibrato once its start delay has passed. The shifts depend on the output
// format so that every format comes out equally loud per channel.
template <int envelopeShift, int vibratoShift>
inline std::int32_t amplitudeWithVibrato(VoiceState& voice, const ToneRecord& tone)
{
    std::int32_t a = wrapMul(voice.volume, voice.envLevel) >> envelopeShift;
    voice.lfoCounter = wrapAdd(voice.lfoCounter, 1);
    if (voice.lfoCounter >= 0) {
        // The depth may overshoot its limit by less than one increment.
        if (voice.vibratoDepth < voice.vibratoDepthMax)
            voice.vibratoDepth = wrapAdd(voice.vibratoDepth, tone.gainRate);
        // A depth of 0 adds 0 whatever the cosine: a tone without vibrato skips the table.
        if (voice.vibratoDepth == 0)
            return a;
        // The phase wraps at 2^32.
        const std::uint32_t phase = static_cast<std::uint32_t>(voice.lfoCounter) * voice.lfoTimeBase;
        const std::int32_t cosine = vibratoTable[(phase >> vibratoPhaseShift(tone)) & (vibratoTableSize - 1)];
        a = wrapAdd(a, wrapMul(voice.vibratoDepth, cosine) >> vibratoShift);
    }
    return a;
}
