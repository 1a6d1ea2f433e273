#include "audio/WaveOut.h"

WaveFormat WaveFormat::pcmFormat(std::int32_t bits, std::int32_t rate, std::int32_t channels)
{
    WaveFormat format;
    format.channels = static_cast<std::uint16_t>(channels);
    format.samplesPerSec = static_cast<std::uint32_t>(rate);
    format.bitsPerSample = static_cast<std::uint16_t>(bits);
    format.blockAlign = static_cast<std::uint16_t>(bits * channels / 8);
    format.avgBytesPerSec = format.samplesPerSec * format.blockAlign;
    return format;
}

void WaveHeader::clear()
{
    data = nullptr;
    bufferLength = 0;
    bytesRecorded = 0;
    flags.store(0);
    loops = 0;
}
