#include "synth/PlayingWaveEdit.h"

#include "audio/SoundDevice.h"

#include <mutex>

void writePlayingSample(SoundDevice& device, WaveBlock& block, std::size_t index, std::int8_t value)
{
    std::lock_guard<std::mutex> hold(device.renderLock());
    block.samples[index] = value;
}
