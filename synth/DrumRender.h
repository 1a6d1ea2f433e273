#pragma once

#include "bank/ToneRecord.h"
#include "synth/SamplePosition.h"
#include "synth/SteadyVectorLanes.h"
#include "synth/VoiceState.h"
#include "synth/WaveWindow.h"

#include <algorithm>
#include <cstdint>

// Adds `frames` frames of a sounding drum voice into the mix: the waveform once from its
// start at the current play speed, up to the tone's cycleSize, at one and a half times
// the volume, bent by the voice's pitch ratio. No envelope, no vibrato, no loop.
template <class Output>
void renderDrum(VoiceState& voice, const ToneRecord& tone, std::int32_t pan, std::int32_t* mix, std::uint32_t frames)
{
    const WaveWindow wave = readableWave(tone, tone.cycleSize);
    const std::int32_t gain = std::min(voice.volume + (voice.volume >> 1), maxVolume);
    const SamplePosition step = bentDrumStep(voice.stage, voice.pitchRatio);
    SamplePosition position = voice.position;
    std::uint32_t i = 0;
#ifdef ZBK_HAS_AVX2_FORMS
    // Lanes of frames at a time while the positions stay well inside the wave (a backwards step, a
    // huge unsigned one, never does): as an instrument whose amplitude stays put.
    VoiceState steady;
    steady.envLevel = 1;
    steady.volume = Output::drumAmplitude(gain);
    steady.position = position;
    steady.step = step;
    using Format = LanesFormat<0, Output::drumValueShift, 0, Output::stereo>;
    i = renderVectorLanes<Format, false>(wave.count, 0, false, steady, 0, 0, wave.samples, pan, mix, 0, frames);
    position = steady.position;
#endif
    for (; i < frames; ++i) {
        // The end test comes first, so nothing at or past the end is ever read; a
        // position walked back below 0 wraps far past the end and ends the voice too.
        if (whole(position) >= wave.count) {
            voice.active = false;
            break;
        }
        Output::mix(mix, i, Output::drumValue(wave.samples[whole(position)], gain), pan);
        position += step;
    }
    voice.position = position;
}
