#include "cli/SoundCard.h"

namespace {

SoundCardFactory soundCardFactory = nullptr;

} // namespace

void setSoundCardFactory(SoundCardFactory factory)
{
    soundCardFactory = factory;
}

std::unique_ptr<WaveOut> makeSoundCardOutput()
{
    return soundCardFactory != nullptr ? soundCardFactory() : nullptr;
}
