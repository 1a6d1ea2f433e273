// Writing one wave as an 8-bit mono PCM WAV file, through a temporary file so that a
// failed export leaves whatever file was there.

#include "bank/PcmWavHeader.h"
#include "bank/ToneBank.h"
#include "framework/BufferedFile.h"
#include "framework/ReplacingFile.h"

#include <algorithm>
#include <new>

namespace {

// The wave's pitch is its tones' business; the file carries a rate all players accept.
constexpr PcmFormat exportFormat{8, 44100, 1};
constexpr std::size_t convertBufferSize = 1u << 16;

} // namespace

bool ToneBank::exportWav(const char* fileName, std::uint32_t waveIndex) const
{
    if (waveIndex >= waveCount())
        return false;
    const std::vector<std::int8_t>& samples = waves_[waveIndex]->samples;
    if (samples.size() > largestPcmWavData)
        return false;
    const auto size = static_cast<std::uint32_t>(samples.size());
    try {
        ReplacingFile target(fileName);
        if (!target.open())
            return false;
        BufferedWriter out(target.file());
        writePcmWavHeader(out, exportFormat, size);

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
