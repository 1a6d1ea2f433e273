#pragma once

#include "bank/ToneRecord.h"

#include <cstdint>

// Tones store their per-sample rates, speeds and delays for 22050 Hz output. Converts
// a tone's copy to `sampleRate`: at 44100 Hz rates and speeds halve and the vibrato
// delay doubles, at 11025 Hz the reverse; levels, sizes, positions, the vibrato
// amplitude and its frequency shift never change. Other rates leave the tone as it is.
void convertToneToRate(ToneRecord& tone, std::int32_t sampleRate);
