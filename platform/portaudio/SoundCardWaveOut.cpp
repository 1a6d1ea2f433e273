#include "platform/SoundCardWaveOut.h"

#include "platform/portaudio/PortAudioWaveOut.h"

std::unique_ptr<WaveOut> makeSoundCardWaveOut()
{
    return std::make_unique<PortAudioWaveOut>();
}
