// Writing one wave as an 8-bit mono PCM WAV file, through a temporary file so that a
// failed export leaves whatever file was there.

#include "bank/ToneBank.h"
#include "framework/BufferedFile.h"
#include "framework/ReplacingFile.h"

#include <algorithm>
#include <limits>
#include <new>

namespace {

// The wave's pitch is its tones' business; the file carries a rate all players accept.
constexpr std::uint32_t exportSampleRate = 44100;
constexpr std::uint32_t headerSizeAfterRiffLength = 36;
constexpr std::size_t convertBufferSize = 1u << 16;

} // namespace

bool ToneBank::exportWav(const char* fileName, std::uint32_t waveIndex) const
{
    if (waveIndex >= waveCount())
        return false;
    const std::vector<std::int8_t>& samples = waves_[waveIndex]->samples;
    // The RIFF length must fit its 32 bits.
    if (samples.size() > std::numeric_limits<std::uint32_t>::max() - headerSizeAfterRiffLength)
        return false;
    const auto size = static_cast<std::uint32_t>(samples.size());
    try {
        ReplacingFile target(fileName);
        if (!target.open())
            return false;
        BufferedWriter out(target.file());
        out.write("RIFF", 4);
        out.writeU32(size + headerSizeAfterRiffLength);
        out.write("WAVE", 4);
        out.write("fmt ", 4);
        out.writeU32(16);
        out.writeU16(1);                // PCM
        out.writeU16(1);                // mono
        out.writeU32(exportSampleRate);
        out.writeU32(exportSampleRate); // bytes per second
        out.writeU16(1);                // block alignment
        out.writeU16(8);                // bits per sample
        out.write("data", 4);
        out.writeU32(size);

        // Signed to unsigned 8-bit: flip the top bit. (The samples are read through a
        // plain pointer: stores to unsigned bytes could alias the vector's own fields.)
        unsigned char buffer[convertBufferSize];
        const std::int8_t* in = samples.data();
        for (std::size_t done = 0; done < samples.size();) {
            const std::size_t count = std::min(samples.size() - done, sizeof buffer);
            for (std::size_t k = 0; k < count; ++k)
                buffer[k] = static_cast<unsigned char>(static_cast<std::uint8_t>(in[done + k]) ^ 0x80u);
            out.write(buffer, count);
            done += count;
        }
        return out.finish() && target.commit();
    } catch (const std::bad_alloc&) {
        return false;
    }
}
