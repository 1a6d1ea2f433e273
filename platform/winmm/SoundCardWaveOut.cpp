#include "platform/SoundCardWaveOut.h"

#include "platform/winmm/WinmmWaveOut.h"

std::unique_ptr<WaveOut> makeSoundCardWaveOut()
{
    return std::make_unique<WinmmWaveOut>();
}
