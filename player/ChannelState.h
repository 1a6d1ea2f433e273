#pragma once

#include "synth/SamplePosition.h"

#include <cstdint>

// What one of a song's sixteen channels holds between its messages, with the values a
// channel has before any message: program 0, volume 100, expression 127, modulation 0,
// pan centred, pedal up, pitch bend centred with a range of two semitones.
struct ChannelState {
    static constexpr std::uint8_t drumChannel = 9;
    // No registered parameter is selected: data entry changes nothing.
    static constexpr std::uint16_t noParameter = 0x3FFF;
    static constexpr std::uint16_t bendRangeParameter = 0;

    std::uint8_t program = 0;
    std::uint8_t volume = 100;     // controller 7
    std::uint8_t expression = 127; // controller 11
    std::uint8_t modulation = 0;   // controller 1
    std::uint8_t pan = 64;         // controller 10
    bool pedal = false;            // controller 64 at 64 or more
    std::int32_t bend = 0;         // -8192..8191
    std::uint8_t bendRangeSemitones = 2;
    std::uint8_t bendRangeCents = 0;
    // The registered parameter that data entry (controllers 6 and 38) sets.
    std::uint16_t parameter = noParameter;

    // Reset All Controllers: modulation, expression, pedal and bend as a channel starts,
    // no parameter selected; volume, pan, program and the bend range stay.
    void resetControllers();
    // The ratio the bend gives every step of the channel's notes.
    PitchRatio pitchRatio() const;
};

// The volume 0..127 of a voice from its note's velocity and its channel's volume and
// expression: 127 x (velocity x volume x expression / 127^3)^2, rounded down (each factor
// counts as amplitude squared, as General MIDI recommends), but at least 1 for a note
// that sounds (velocity above 0), so that a note begun during a fade-in follows the fade.
std::uint32_t voiceVolume(std::uint32_t velocity, std::uint32_t volume, std::uint32_t expression);
