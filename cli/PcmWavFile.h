#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes `data` as a PCM WAV file of `bits` (8 unsigned or 16 signed little-endian),
// `rate` and `channels`. The file is replaced only once it is complete; a failure is a
// CommandError.
void writePcmWav(const std::string& path, std::int32_t bits, std::int32_t rate, std::int32_t channels,
                 const std::vector<std::uint8_t>& data);
