#pragma once

#include "bank/ToneBank.h"

// Fills an empty bank with tones a newcomer can play at once: looped single-cycle
// waveforms with envelopes and vibrato for every program, decaying one-shots, and one
// drum set of drum-algorithm tones on the General MIDI drum notes.
void buildDemoBank(ToneBank& bank);

// The waves the demo bank holds, in table order.
enum DemoWave : std::uint32_t {
    sineWave,
    squareWave,
    sawWave,
    triangleWave,
    organWave,
    brassWave,
    reedWave,
    bellWave,
    pluckWave,      // decaying one-shot, 64-sample cycles
    noiseBurstWave, // decaying one-shot of noise
    kickWave,
    snareWave,
    closedHatWave,
    openHatWave,
    tomWave,
    cymbalWave,
    demoWaveCount,
};

// Samples per cycle of the looped demo waves, and of the pluck's cycles.
constexpr std::int32_t demoCycleSize = 256;
constexpr std::int32_t pluckCycleSize = 64;
