#include "synth/PlayingWaveEdit.h"

#include "audio/SoundDevice.h"

#include <algorithm>
#include <array>
#include <mutex>

bool editPlayingWave(SoundDevice& device, WaveBlock& block, const SampleEdit& edit)
{
    if (edit.begin > edit.end || edit.end > block.samples.size())
        return false;
    std::array<std::int8_t, playingEditStep> stretch;
    for (std::size_t from = edit.begin; from < edit.end;) {
        const std::size_t to = from + std::min(playingEditStep, edit.end - from);
        edit.compute(block.samples, from, to, stretch.data());
        std::lock_guard<std::mutex> hold(device.renderLock());
        std::copy(stretch.begin(), stretch.begin() + static_cast<std::ptrdiff_t>(to - from),
                  block.samples.begin() + static_cast<std::ptrdiff_t>(from));
        from = to;
    }
    return true;
}

bool writePlayingSample(SoundDevice& device, WaveBlock& block, std::size_t index, std::int8_t value)
{
    return editPlayingWave(device, block, sampleWrite(index, value));
}
