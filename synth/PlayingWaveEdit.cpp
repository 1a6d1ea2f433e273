#include "synth/PlayingWaveEdit.h"

#include "audio/SoundDevice.h"

#include <mutex>

bool writePlayingSample(SoundDevice& device, WaveBlock& block, std::size_t index, std::int8_t value)
{
    if (index >= block.samples.size())
        return false;
    std::lock_guard<std::mutex> hold(device.renderLock());
    block.samples[index] = value;
    return true;
}
