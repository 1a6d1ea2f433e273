// Reading RIFF WAVE files into the wave table. The file is walked chunk by chunk with
// every size checked against the file's length before it is trusted (RiffChunkWalker),
// so a damaged or hostile file is refused without anything larger than the file being
// allocated.

#include "bank/SampleConversion.h"
#include "bank/ToneBank.h"
#include "framework/BufferedFile.h"
#include "framework/File.h"
#include "framework/RiffChunks.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

constexpr std::uint16_t formatPcm = 1;
constexpr std::uint16_t formatExtensible = 0xFFFE;
// What the "fmt " body must hold: tag, channels, rate, bytes per second, alignment.
constexpr std::uint32_t formatMinimumSize = 14;
// An extensible format adds bits, its extension size, valid bits, a channel mask and
// the sub-format GUID, which ends at byte 40.
constexpr std::uint32_t formatExtensibleSize = 40;
constexpr std::size_t subFormatOffset = 24;
// Every sub-format GUID ends in these bytes after its own 16-bit format tag.
constexpr unsigned char subFormatGuidTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                                 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

constexpr std::size_t convertBufferSize = 1u << 18;

struct SampleFormat {
    std::uint32_t bytesPerSample = 0;
};

WavRefusal readFormat(RiffChunkWalker& walker, const RiffChunk& chunk, SampleFormat& format)
{
    if (chunk.size < formatMinimumSize)
        return WavRefusal::formatTooShort;
    unsigned char body[formatExtensibleSize];
    const std::uint32_t wanted = std::min(chunk.size, formatExtensibleSize);
    if (!walker.readAt(chunk.body, body, wanted))
        return WavRefusal::readFailed;

    const std::uint16_t tag = loadU16(body);
    const std::uint16_t channels = loadU16(body + 2);
    const std::uint16_t blockAlignment = loadU16(body + 12);
    if (tag == formatExtensible) {
        if (chunk.size < formatExtensibleSize)
            return WavRefusal::formatTooShort;
        const unsigned char* guid = body + subFormatOffset;
        if (loadU16(guid) != formatPcm || std::memcmp(guid + 2, subFormatGuidTail, sizeof subFormatGuidTail) != 0)
            return WavRefusal::notPcm;
    } else if (tag != formatPcm) {
        return WavRefusal::notPcm;
    }
    if (channels != 1)
        return WavRefusal::notMono;
    // The sample's high byte is its last; for 8-bit samples it is unsigned.
    if (blockAlignment < 1 || blockAlignment > 4)
        return WavRefusal::unsupportedSampleSize;
    format.bytesPerSample = blockAlignment;
    return WavRefusal::none;
}

// Reads the data body into a block of signed 8-bit samples. A trailing partial sample
// is ignored.
WavRefusal readSamples(RiffChunkWalker& walker, const RiffChunk& chunk, const SampleFormat& format, WaveRef& block)
{
    const std::uint32_t step = format.bytesPerSample;
    const std::size_t sampleCount = chunk.size / step;
    auto wave = std::make_shared<WaveBlock>(sampleCount);
    std::int8_t* out = wave->samples.data();

    // Pieces small enough to stay in the cache between reading and converting.
    const std::size_t samplesPerRead = convertBufferSize / step;
    std::vector<unsigned char> buffer(step == 1 ? 0 : std::min(sampleCount, samplesPerRead) * step);
    std::int64_t position = chunk.body;
    for (std::size_t done = 0; done < sampleCount;) {
        const std::size_t count = std::min(sampleCount - done, samplesPerRead);
        std::int8_t* piece = out + done;
        if (step == 1) {
            if (!walker.readAt(position, piece, count))
                return WavRefusal::readFailed;
            // Unsigned 8-bit to signed: flip the top bit.
            for (std::size_t k = 0; k < count; ++k)
                piece[k] = static_cast<std::int8_t>(static_cast<std::uint8_t>(piece[k]) ^ 0x80u);
        } else {
            if (!walker.readAt(position, buffer.data(), count * step))
                return WavRefusal::readFailed;
            switch (step) {
            case 2: takeHighBytes<2>(buffer.data(), piece, count); break;
            case 3: takeHighBytes<3>(buffer.data(), piece, count); break;
            default: takeHighBytes<4>(buffer.data(), piece, count); break;
            }
        }
        position += static_cast<std::int64_t>(count * step);
        done += count;
    }
    block = std::move(wave);
    return WavRefusal::none;
}

// What the walk's result means for the import; `missing` when the file has no such chunk.
WavRefusal refusalOf(RiffChunkWalker::Result result, WavRefusal missing)
{
    switch (result) {
    case RiffChunkWalker::Result::found: return WavRefusal::none;
    case RiffChunkWalker::Result::missing: return missing;
    case RiffChunkWalker::Result::truncated: return WavRefusal::truncated;
    case RiffChunkWalker::Result::readFailed: return WavRefusal::readFailed;
    }
    return WavRefusal::readFailed;
}

WavRefusal readWavFile(const char* fileName, WaveRef& block, int& openError)
{
    try {
        File file;
        if (!file.open(fileName, File::genericRead)) {
            openError = file.openError;
            return WavRefusal::cannotOpen;
        }
        RiffChunkWalker walker(file);
        RiffChunk chunk;
        SampleFormat format;
        if (!walker.start("WAVE"))
            return WavRefusal::notRiffWave;
        WavRefusal refusal = refusalOf(walker.find("fmt ", chunk), WavRefusal::noFormat);
        if (refusal == WavRefusal::none)
            refusal = readFormat(walker, chunk, format);
        if (refusal == WavRefusal::none)
            refusal = refusalOf(walker.find("data", chunk), WavRefusal::noData);
        if (refusal == WavRefusal::none)
            refusal = readSamples(walker, chunk, format, block);
        return refusal;
    } catch (const std::bad_alloc&) {
        return WavRefusal::outOfMemory;
    }
}

} // namespace

const char* describeWavRefusal(WavRefusal refusal)
{
    switch (refusal) {
    case WavRefusal::none: return "no error";
    case WavRefusal::tableFull: return "the bank already holds 16512 waves";
    case WavRefusal::cannotOpen: return "the file cannot be opened";
    case WavRefusal::notRiffWave: return "the file is not a RIFF WAVE file";
    case WavRefusal::truncated: return "the file is truncated (a chunk runs past its end)";
    case WavRefusal::noFormat: return "the file has no \"fmt \" chunk";
    case WavRefusal::formatTooShort: return "its \"fmt \" chunk is too short";
    case WavRefusal::notPcm: return "its samples are not integer PCM";
    case WavRefusal::notMono: return "the file is not mono";
    case WavRefusal::unsupportedSampleSize: return "its samples are not 8, 16, 24 or 32 bits";
    case WavRefusal::noData: return "the file has no \"data\" chunk after its \"fmt \" chunk";
    case WavRefusal::readFailed: return "reading the file failed";
    case WavRefusal::outOfMemory: return "out of memory";
    }
    return "unknown error";
}

bool ToneBank::importWav(const char* fileName, WavRefusal* refusal, int* openError)
{
    WaveRef block;
    int whyNotOpened = 0;
    WavRefusal why = waveCount() >= waveCapacity ? WavRefusal::tableFull : readWavFile(fileName, block, whyNotOpened);
    if (why == WavRefusal::none) {
        try {
            // Slot 0 is what the next added drum tone copies, so it takes the first
            // wave even while no drum tone is in use.
            if (waveCount() == 0 && drumTones_.empty())
                drumTones_.resize(1);
            if (!appendWave(block))
                why = WavRefusal::tableFull;
        } catch (const std::bad_alloc&) {
            why = WavRefusal::outOfMemory;
        }
    }
    if (why == WavRefusal::none && waveCount() == 1) {
        // The first wave of a bank goes to every tone, in use or not (the drum-tone
        // slots the bank keeps beyond those in use included). cycleSize is
        // kept within the new sample count, as replaceWaveData keeps it.
        const auto size = static_cast<std::uint32_t>(block->samples.size());
        auto takeFirstWave = [&](ToneRecord& tone) {
            tone.wave = block;
            tone.sampleCount = static_cast<std::int32_t>(size);
            if (static_cast<std::uint32_t>(tone.cycleSize) > size)
                tone.cycleSize = static_cast<std::int32_t>(size);
        };
        std::for_each(instrumentTones_.begin(), instrumentTones_.end(), takeFirstWave);
        std::for_each(drumTones_.begin(), drumTones_.end(), takeFirstWave);
    }
    if (refusal)
        *refusal = why;
    if (openError)
        *openError = whyNotOpened;
    return why == WavRefusal::none;
}
