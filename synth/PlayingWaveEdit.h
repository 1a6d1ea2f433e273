#pragma once

#include "bank/SampleEdit.h"
#include "bank/ToneRecord.h"

#include <cstddef>
#include <cstdint>

class SoundDevice;

// The one way to change the samples of a wave that a voice of `device` may be playing.
// The render thread reads waveforms only under the device's render lock, so the new
// values go in under it; but they go in a stretch of at most playingEditStep samples at a
// time, each computed before the lock is taken. The lock is held only to copy one stretch,
// so the render thread waits no longer than that, however long the wave, and a render
// thread woken as it is released takes it while the next stretch is computed. The edit
// reads the samples without the lock: the user-interface thread, the only one that writes
// them, is the one calling. The bytes are those of the edit made in one go.
// An edit whose positions are not all in the block is refused (false) and writes nothing.
constexpr std::size_t playingEditStep = 4096;
bool editPlayingWave(SoundDevice& device, WaveBlock& block, const SampleEdit& edit);

// Sample `index` of `block` becomes `value`, as editPlayingWave makes it; an index outside
// the block is refused (false).
bool writePlayingSample(SoundDevice& device, WaveBlock& block, std::size_t index, std::int8_t value);
