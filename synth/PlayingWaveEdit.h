#pragma once

#include "bank/ToneRecord.h"

#include <cstddef>
#include <cstdint>

class SoundDevice;

// Changes sample `index` of `block` while a voice of `device` may be playing it: the
// render thread reads waveforms only under the device's render lock, so the write
// takes it too. An index outside the block is refused (false) and writes nothing.
bool writePlayingSample(SoundDevice& device, WaveBlock& block, std::size_t index, std::int8_t value);
