#pragma once

#include "framework/BufferedFile.h"

#include <cstdint>

// The format of a PCM WAV file's samples: 8-bit samples are unsigned, wider ones signed
// little-endian.
struct PcmFormat {
    std::uint16_t bits;
    std::uint32_t rate;
    std::uint16_t channels;
};

// The largest data chunk whose file still has a RIFF length that fits its 32 bits.
constexpr std::uint64_t largestPcmWavData = 0xFFFFFFFFu - 36;

// Writes the 44-byte header of a PCM WAV file, whose data chunk of `dataBytes` bytes
// the caller writes next.
void writePcmWavHeader(BufferedWriter& out, const PcmFormat& format, std::uint32_t dataBytes);
