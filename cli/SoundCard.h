#pragma once

#include "audio/WaveOut.h"

#include <memory>

// The live sound output `zbk play` uses. The tool's executable provides it (it links the
// sound library); a build without one, like the test programs, has none.
using SoundCardFactory = std::unique_ptr<WaveOut> (*)();

void setSoundCardFactory(SoundCardFactory factory);
// A new output on the default sound card, or empty when this build has no sound output.
std::unique_ptr<WaveOut> makeSoundCardOutput();
