// Reading RIFF WAVE files into the wave table. The file is walked chunk by chunk with
// every size checked against the file's length before it is trusted, so a damaged or
// hostile file is refused without anything larger than the file being allocated.

#include "bank/ToneBank.h"
#include "framework/BufferedFile.h"
#include "framework/File.h"

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

constexpr std::size_t chunkHeaderSize = 8;
constexpr std::size_t convertBufferSize = 1u << 18;

bool isChunkId(const unsigned char* id, const char* name)
{
    return std::memcmp(id, name, 4) == 0;
}

struct Chunk {
    unsigned char id[4];
    std::uint32_t size = 0;
    std::int64_t body = 0; // file position of the first body byte
};

// Walks the chunks of one open WAV file. Positions are tracked here rather than asked
// of the file, and every seek is made from them.
class ChunkWalker {
public:
    explicit ChunkWalker(File& file) : file_(file), fileSize_(file.size()) {}

    // Checks the 12-byte RIFF header; the walk then starts behind it.
    WavRefusal start()
    {
        unsigned char header[12];
        if (fileSize_ < static_cast<std::int64_t>(sizeof header) || !readAt(0, header, sizeof header))
            return WavRefusal::notRiffWave;
        if (!isChunkId(header, "RIFF") || !isChunkId(header + 8, "WAVE"))
            return WavRefusal::notRiffWave;
        next_ = sizeof header;
        return WavRefusal::none;
    }

    // Skips chunks up to the next one named `name`, whose body must lie inside the
    // file. `missing` is the refusal when the file ends cleanly between chunks.
    WavRefusal find(const char* name, WavRefusal missing, Chunk& chunk)
    {
        for (;;) {
            if (afterOddChunk_) {
                next_ = afterOddChunk(next_);
                afterOddChunk_ = false;
            }
            if (next_ >= fileSize_)
                return missing;
            if (fileSize_ - next_ < static_cast<std::int64_t>(chunkHeaderSize))
                return WavRefusal::truncated;
            unsigned char header[chunkHeaderSize];
            if (!readAt(next_, header, sizeof header))
                return WavRefusal::readFailed;
            std::memcpy(chunk.id, header, 4);
            chunk.size = loadU32(header + 4);
            chunk.body = next_ + static_cast<std::int64_t>(chunkHeaderSize);
            const std::int64_t end = chunk.body + chunk.size;
            if (end > fileSize_)
                return WavRefusal::truncated;
            // Where an odd-sized chunk ends is settled only when the walk goes on, so
            // that nothing behind the chunk that was looked for is read.
            next_ = end;
            afterOddChunk_ = chunk.size % 2 != 0;
            if (isChunkId(chunk.id, name))
                return WavRefusal::none;
        }
    }

    // Exact read of `count` bytes at `position`.
    bool readAt(std::int64_t position, void* buffer, std::size_t count)
    {
        if (!moveTo(position))
            return false;
        if (!file_.read(buffer, count)) {
            position_ = file_.position(); // a short read moved it by an unknown amount
            return false;
        }
        position_ += static_cast<std::int64_t>(count);
        return true;
    }

private:
    // RIFF pads an odd-sized body with one byte, but some writers leave it out. The
    // next chunk starts right behind the body when a plausible header stands there:
    // its first byte is then printable, so it cannot be a (zero) pad byte. Otherwise
    // the pad byte is skipped.
    std::int64_t afterOddChunk(std::int64_t end)
    {
        unsigned char header[chunkHeaderSize];
        if (fileSize_ - end < static_cast<std::int64_t>(chunkHeaderSize) || !readAt(end, header, sizeof header))
            return end + 1;
        return isPlausibleHeader(header, end) ? end : end + 1;
    }

    // Four printable characters and a body that fits in the file.
    bool isPlausibleHeader(const unsigned char* header, std::int64_t position) const
    {
        for (int i = 0; i < 4; ++i)
            if (header[i] < 0x20 || header[i] > 0x7E)
                return false;
        return position + static_cast<std::int64_t>(chunkHeaderSize) + loadU32(header + 4) <= fileSize_;
    }

    // File::seek moves at most 2 GiB at a time.
    bool moveTo(std::int64_t position)
    {
        if (position_ < 0)
            return false;
        while (position_ != position) {
            const std::int64_t step = std::clamp<std::int64_t>(position - position_, INT32_MIN, INT32_MAX);
            if (!file_.seek(static_cast<std::int32_t>(step), File::fromCurrent))
                return false;
            position_ += step;
        }
        return true;
    }

    File& file_;
    const std::int64_t fileSize_;
    std::int64_t position_ = 0;
    std::int64_t next_ = 0;
    bool afterOddChunk_ = false;
};

struct SampleFormat {
    std::uint32_t bytesPerSample = 0;
};

WavRefusal readFormat(ChunkWalker& walker, const Chunk& chunk, SampleFormat& format)
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

// The last (most significant) byte of each little-endian sample, as a signed sample.
// The width is a constant so that the loop vectorizes.
template <std::size_t width> void takeHighBytes(const unsigned char* in, std::int8_t* out, std::size_t count)
{
    for (std::size_t k = 0; k < count; ++k)
        out[k] = static_cast<std::int8_t>(in[k * width + width - 1]);
}

// Reads the data body into a block of signed 8-bit samples. A trailing partial sample
// is ignored.
WavRefusal readSamples(ChunkWalker& walker, const Chunk& chunk, const SampleFormat& format, WaveRef& block)
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

WavRefusal readWavFile(const char* fileName, WaveRef& block)
{
    try {
        File file;
        if (!file.open(fileName, File::genericRead))
            return WavRefusal::cannotOpen;
        ChunkWalker walker(file);
        Chunk chunk;
        SampleFormat format;
        WavRefusal refusal = walker.start();
        if (refusal == WavRefusal::none)
            refusal = walker.find("fmt ", WavRefusal::noFormat, chunk);
        if (refusal == WavRefusal::none)
            refusal = readFormat(walker, chunk, format);
        if (refusal == WavRefusal::none)
            refusal = walker.find("data", WavRefusal::noData, chunk);
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

bool ToneBank::importWav(const char* fileName, WavRefusal* refusal)
{
    WaveRef block;
    WavRefusal why = waveCount() >= waveCapacity ? WavRefusal::tableFull : readWavFile(fileName, block);
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
    return why == WavRefusal::none;
}
