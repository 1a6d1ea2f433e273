#pragma once

#include "bank/ToneRecord.h"
#include "soundfont/PlayedZone.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The part of the font's sample data a zone plays, its offsets applied. Positions count
// samples of the whole sample data; the loop is [loopStart, loopEnd).
struct SampleSpan {
    std::uint32_t start = 0;
    std::uint32_t end = 0;
    std::uint32_t loopStart = 0;
    std::uint32_t loopEnd = 0;
    bool loops = false;
};

// The span of the zone's sample, or none when it cannot be played (`whyNot` says why).
// A loop that does not lie within the sample is dropped with a note.
std::optional<SampleSpan> spanOf(const SoundFont& font, const PlayedZone& zone, std::vector<std::string>& notes,
                                 std::string& whyNot);

// The key at which the zone's sample sounds at its own rate.
int rootKeyOf(const SoundFont& font, const PlayedZone& zone);

// How many cents above its own pitch the zone plays its sample for `key`: the distance
// to the root key (scaled by the zone's scale tuning), coarse and fine tuning and the
// sample's pitch correction.
double centsAt(const SoundFont& font, const PlayedZone& zone, int key);

// Samples start to end - 1 of the sample data as an 8-bit wave, each sample converted
// as WAV import converts it. With a ratio other than 1 the samples are first resampled
// (linear interpolation) to ratio times as many. Throws std::bad_alloc.
WaveRef waveOfSpan(const SoundFont& font, std::uint32_t start, std::uint32_t end, double ratio);

// The length a span of `length` samples has once resampled by `ratio`.
std::uint32_t resampledLength(std::uint32_t length, double ratio);
