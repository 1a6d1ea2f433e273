#pragma once

#include <memory>

#include "audio/WaveOut.h"

// A new WaveOut on the default sound card, from the sound layer this build links (the
// library `zbksoundcard`): PortAudio, or the wave-out services on Windows.
std::unique_ptr<WaveOut> makeSoundCardWaveOut();
