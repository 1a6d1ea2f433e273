#pragma once

#include "synth/SamplePosition.h"

#include <cstdint>

// Envelope levels count 65536 per unit of the 0..127 scale.
constexpr std::int32_t levelUnit = 65536;
constexpr std::int32_t fullScaleLevel = 127 * levelUnit; // 0x7F0000
// The envelope target of a voice that has ended.
constexpr std::int32_t endedTarget = INT32_MIN; // 0x80000000

// Vibrato depths use the level scale. A note starts with its depth limit at most
// 0x1F0000; a modulation change alone may raise the limit up to 0x3F0000.
constexpr std::int32_t noteOnDepthLimit = 0x1F0000;
constexpr std::int32_t modulationDepthLimit = 0x3F0000;
constexpr std::int32_t maxModulationSteps = 63;
constexpr std::int32_t maxVolume = 127;

// Envelope stages of an instrument voice.
enum EnvelopeStage : std::int32_t {
    attackStage = 0,
    secondStage = 1,
    thirdStage = 2,
    sustainStage = 3,
    releaseStage = 4,
};

// What one voice carries from sample to sample. The render thread changes it while
// rendering and the user-interface thread while starting and stopping notes, both
// under the device's render lock.
struct VoiceState {
    std::int32_t volume = 64;
    // Instrument: the envelope stage. Drum: the play speed in 1/65536 sample per sample.
    std::int32_t stage = 0;
    std::int32_t envLevel = 0;
    std::int32_t envRate = 0;
    std::int32_t envTarget = 0;
    SamplePosition position = 0;
    std::uint32_t lfoTimeBase = 0; // 2^24 / sample rate
    SamplePosition step = 0;
    // Instrument: the step the note's frequency gives, before the pitch bend.
    SamplePosition unbentStep = 0;
    // The pitch bend: instrument steps and drum speeds are multiplied by it.
    PitchRatio pitchRatio = unitPitchRatio;
    std::int32_t lfoCounter = 0; // negative while the vibrato waits to start
    std::int32_t vibratoDepth = 0;
    std::int32_t vibratoDepthMax = 0;
    std::int32_t modulation = 0;
    bool active = false;
};
