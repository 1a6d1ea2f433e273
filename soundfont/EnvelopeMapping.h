#pragma once

#include "bank/ToneRecord.h"
#include "soundfont/PlayedZone.h"

#include <cstdint>
#include <string>
#include <vector>

// A zone's volume envelope at one key, in seconds and decibels, as the font gives it.
struct VolumeEnvelope {
    double delay = 0;
    double attack = 0;
    double hold = 0;
    double decay = 0;           // for a fall of 100 dB
    double sustainDecibels = 0; // below the peak; 100 and more is silence
    double release = 0;         // for a fall of 100 dB
    double attenuationDecibels = 0;
};

VolumeEnvelope volumeEnvelopeOf(const PlayedZone& zone, int key);

// Levels this far below the peak count as silence: they lie under what an 8-bit wave
// at full volume resolves.
constexpr double silenceDecibels = 60;

// Gives `tone` the five linear stages (AR to RR, per sample at the 22050 Hz reference
// rate) that come closest to the font's envelope: the attack rises to the peak (full
// scale lowered by the attenuation); the hold and the decay, which falls in decibels,
// become the two falling stages DR and NR, with the level between them chosen where
// straight lines stray least from the curve; the sustain holds (or, when it is silence,
// ends the voice); the release falls from the sustain level to 0 in the time the
// font's release takes from there down to silence. `notes` takes what could not be
// carried over.
void setEnvelopeStages(ToneRecord& tone, const VolumeEnvelope& envelope, std::vector<std::string>& notes);
