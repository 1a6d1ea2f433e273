#include "audio/SoundSource.h"

#include <algorithm>
#include <limits>
#include <mutex>
#include <new>
#include <stdexcept>

#include "audio/PanSplit.h"
#include "audio/SoundDevice.h"
#include "framework/BufferedFile.h"
#include "framework/RiffChunks.h"

namespace {

void callRender8Mono(SoundSource& source, std::int32_t* mix, std::int32_t frames)
{
    source.render8Mono(mix, frames);
}

void callRender8Stereo(SoundSource& source, std::int32_t* mix, std::int32_t frames)
{
    source.render8Stereo(mix, frames);
}

void callRender16Mono(SoundSource& source, std::int32_t* mix, std::int32_t frames)
{
    source.render16Mono(mix, frames);
}

void callRender16Stereo(SoundSource& source, std::int32_t* mix, std::int32_t frames)
{
    source.render16Stereo(mix, frames);
}

// Closes the file on every way out of `loadWave`.
struct FileCloser {
    File& file;
    ~FileCloser() { file.close(); }
};

} // namespace

SoundSource::SoundSource() = default;

SoundSource::~SoundSource()
{
    if (listedBy != nullptr)
        listedBy->removeSource(this);
}

SoundSource::RenderRoutine SoundSource::renderSlot(std::int32_t bitsPerSample, std::int32_t deviceChannels)
{
    const bool stereo = deviceChannels == 2;
    if (bitsPerSample == 8)
        return stereo ? &callRender8Stereo : &callRender8Mono;
    return stereo ? &callRender16Stereo : &callRender16Mono;
}

void SoundSource::render8Mono(std::int32_t* mix, std::int32_t frames)
{
    playBuffer(mix, frames, 1);
}

void SoundSource::render8Stereo(std::int32_t* mix, std::int32_t frames)
{
    playBuffer(mix, frames, 2);
}

void SoundSource::render16Mono(std::int32_t* mix, std::int32_t frames)
{
    playBuffer(mix, frames, 1);
}

void SoundSource::render16Stereo(std::int32_t* mix, std::int32_t frames)
{
    playBuffer(mix, frames, 2);
}

bool SoundSource::connect(SoundDevice& target, std::int32_t channelCount)
{
    if (!target.addSource(this, channelCount)) {
        status = errorRefused;
        return false;
    }
    device = &target;
    renderRoutine.store(renderSlot(bitsPerSample, target.channelCount()));
    return true;
}

std::int32_t SoundSource::frameBytes() const
{
    return (bitsPerSample == 8 ? 1 : 2) * channels;
}

bool SoundSource::allocate(std::int32_t frames)
{
    if (playing.load()) {
        status = errorBusy;
        return false;
    }
    buffer = std::vector<std::uint8_t>();
    bufferLength = 0;
    playPosition = 0;
    if (frames < 0) {
        status = errorNoMemory;
        return false;
    }
    try {
        buffer.assign(static_cast<std::size_t>(frames) * static_cast<std::size_t>(frameBytes()),
                      bitsPerSample == 8 ? 128 : 0);
    } catch (const std::bad_alloc&) {
        status = errorNoMemory;
        return false;
    } catch (const std::length_error&) {
        status = errorNoMemory;
        return false;
    }
    bufferLength = frames;
    return true;
}

bool SoundSource::play(std::int32_t loopFlag)
{
    if (playing.load()) {
        status = errorBusy;
        return false;
    }
    stopRequest.store(false);
    loop.store(loopFlag);
    if (length() > 0) {
        playPosition = 0;
        playing.store(true);
    }
    return true;
}

void SoundSource::stop()
{
    stopRequest.store(true);
    if (!playing.load())
        return;
    // The render thread plays a buffer only inside a block, under the render lock, so
    // ending playback under that lock is as final as the render thread ending it, and
    // does not depend on a render thread being there to answer.
    if (listedBy != nullptr) {
        std::lock_guard lock(listedBy->renderLock());
        playing.store(false);
    } else {
        playing.store(false);
    }
}

bool SoundSource::resume(std::int32_t loopFlag)
{
    if (playing.load()) {
        status = errorBusy;
        return false;
    }
    loop.store(loopFlag);
    if (length() > 0)
        playing.store(true);
    return true;
}

std::int32_t SoundSource::length() const
{
    return buffer.empty() ? 0 : bufferLength;
}

bool SoundSource::loadWave(const char* fileName)
{
    if (playing.load()) {
        status = errorBusy;
        return false;
    }
    const auto refuse = [this] {
        status = errorWaveFile;
        return false;
    };
    if (!waveFile.open(fileName, File::genericRead))
        return refuse();
    FileCloser closer{waveFile};

    RiffChunkWalker walker(waveFile);
    RiffChunk chunk;
    unsigned char format[14];
    if (!walker.start("WAVE") || walker.find("fmt ", chunk) != RiffChunkWalker::Result::found ||
        chunk.size < sizeof format || !walker.readAt(chunk.body, format, sizeof format))
        return refuse();
    const std::uint32_t align = static_cast<std::uint32_t>(frameBytes());
    if (loadU16(format) != WaveFormat::pcm || loadU16(format + 2) != static_cast<std::uint32_t>(channels) ||
        loadU32(format + 4) != static_cast<std::uint32_t>(sampleRate) ||
        loadU32(format + 8) != static_cast<std::uint32_t>(sampleRate) * align || loadU16(format + 12) != align)
        return refuse();

    if (walker.find("data", chunk) != RiffChunkWalker::Result::found)
        return refuse();
    // Whole frames only; a trailing partial frame is not sound.
    const std::uint32_t frames = chunk.size / align;
    if (frames > static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max()))
        return refuse();
    if (!allocate(static_cast<std::int32_t>(frames)))
        return false;
    if (!walker.readAt(chunk.body, buffer.data(), buffer.size())) {
        buffer = std::vector<std::uint8_t>();
        bufferLength = 0;
        return refuse();
    }
    playPosition = 0;
    return true;
}

void SoundSource::playBuffer(std::int32_t* mix, std::int32_t frames, std::int32_t deviceChannels)
{
    if (stopRequest.load())
        playing.store(false);
    if (!playing.load())
        return;
    const std::int32_t bytes = frameBytes();
    // Never past the bytes the buffer really has, whatever the format became since.
    const auto held = static_cast<std::int32_t>(buffer.size() / static_cast<std::size_t>(bytes));
    const std::int32_t end = std::min(bufferLength, held);
    std::int32_t position = std::max(playPosition, 0);
    const std::int32_t count = position < end ? std::min(frames, end - position) : 0;
    const bool eightBit = bitsPerSample == 8;
    const std::uint8_t* frame = buffer.data() + static_cast<std::size_t>(position) * static_cast<std::size_t>(bytes);
    for (std::int32_t i = 0; i < count; ++i, frame += bytes) {
        std::int32_t values[2] = {0, 0};
        for (std::int32_t c = 0; c < channels && c < 2; ++c) {
            values[c] = eightBit ? frame[c] - 128 : static_cast<std::int16_t>(frame[2 * c] | (frame[2 * c + 1] << 8));
        }
        if (deviceChannels == 2 && channels == 2) {
            mix[2 * i] += values[0];
            mix[2 * i + 1] += values[1];
        } else if (deviceChannels == 2) {
            mixPanned(mix, static_cast<std::uint32_t>(i), values[0], pan);
        } else {
            mix[i] += values[0];
        }
    }
    position += count;
    if (position >= end) {
        if (loop.load() != 0) {
            playPosition = 0;
        } else {
            playPosition = position;
            playing.store(false);
        }
    } else {
        playPosition = position;
    }
}
