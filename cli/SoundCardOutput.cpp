#include "cli/SoundCard.h"
#include "platform/portaudio/PortAudioWaveOut.h"

// Built into the zbk program only, so that `zbk play` reaches the sound card while the
// command library stays free of the sound library (its tests run without one).
namespace {

std::unique_ptr<WaveOut> makePortAudioOutput()
{
    return std::make_unique<PortAudioWaveOut>();
}

const bool registered = [] {
    setSoundCardFactory(makePortAudioOutput);
    return true;
}();

} // namespace
