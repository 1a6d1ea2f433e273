#include "platform/portaudio/PortAudioWaveOut.h"

#include <portaudio.h>

#include <algorithm>
#include <cstring>

#include "platform/portaudio/PortAudioLibrary.h"

namespace {

PaStream* asStream(void* stream)
{
    return static_cast<PaStream*>(stream);
}

int streamCallback(const void*, void* output, unsigned long frames, const PaStreamCallbackTimeInfo*,
                   PaStreamCallbackFlags, void* userData)
{
    static_cast<PortAudioWaveOut*>(userData)->takeQueued(static_cast<std::uint8_t*>(output), frames);
    return paContinue;
}

} // namespace

PortAudioWaveOut::~PortAudioWaveOut()
{
    if (stream_ != nullptr) {
        reset();
        close();
    }
}

bool PortAudioWaveOut::open(const WaveFormat& format, DoneCallback callback, void* context)
{
    if (stream_ != nullptr || format.formatTag != WaveFormat::pcm || format.channels == 0 ||
        (format.bitsPerSample != 8 && format.bitsPerSample != 16))
        return false;
    pa_ = portAudio();
    if (pa_ == nullptr || pa_->initialize() != paNoError)
        return false;
    libraryStarted_ = true;

    PaStreamParameters parameters{};
    parameters.device = pa_->defaultOutputDevice();
    const PaDeviceInfo* device = parameters.device == paNoDevice ? nullptr : pa_->deviceInfo(parameters.device);
    if (device == nullptr) {
        pa_->terminate();
        libraryStarted_ = false;
        return false;
    }
    parameters.channelCount = format.channels;
    parameters.sampleFormat = format.bitsPerSample == 8 ? paUInt8 : paInt16;
    // The library's own low-latency setting for the device: asking for less gets periods
    // of a frame or two on some devices, which no card keeps fed. The device's ring of
    // half a second lies before this anyway.
    parameters.suggestedLatency = device->defaultLowOutputLatency;

    format_ = format;
    callback_ = callback;
    context_ = context;
    head_.store(0);
    tail_.store(0);
    taken_ = 0;
    paused_ = false;
    streamActive_ = false;
    // The first buffers the card asks for come from the stream callback too, not from
    // silence the library would put before them.
    PaStream* stream = nullptr;
    const PaError opened =
        pa_->openStream(&stream, nullptr, &parameters, format.samplesPerSec, paFramesPerBufferUnspecified,
                        paClipOff | paDitherOff | paPrimeOutputBuffersUsingStreamCallback, &streamCallback, this);
    if (opened != paNoError) {
        pa_->terminate();
        libraryStarted_ = false;
        return false;
    }
    stream_ = stream;
    const PaStreamInfo* info = pa_->streamInfo(stream);
    outputLatency_ = info != nullptr ? info->outputLatency : 0;
    if (!startStream()) {
        pa_->closeStream(stream);
        stream_ = nullptr;
        pa_->terminate();
        libraryStarted_ = false;
        return false;
    }
    return true;
}

bool PortAudioWaveOut::startStream()
{
    if (streamActive_)
        return true;
    if (pa_->startStream(asStream(stream_)) != paNoError)
        return false;
    streamActive_ = true;
    return true;
}

// Stopping waits until the stream callback has returned for the last time; `discard`
// drops what the card has not played yet instead of letting it play out.
bool PortAudioWaveOut::stopStream(bool discard)
{
    if (!streamActive_)
        return true;
    const PaError stopped = discard ? pa_->abortStream(asStream(stream_)) : pa_->stopStream(asStream(stream_));
    streamActive_ = false;
    return stopped == paNoError;
}

bool PortAudioWaveOut::pause()
{
    if (stream_ == nullptr)
        return false;
    paused_ = true;
    return stopStream(false);
}

bool PortAudioWaveOut::restart()
{
    if (stream_ == nullptr)
        return false;
    paused_ = false;
    return startStream();
}

bool PortAudioWaveOut::prepare(WaveHeader& header)
{
    if (stream_ == nullptr || header.data == nullptr)
        return false;
    header.flags.fetch_or(WaveHeader::prepared);
    return true;
}

bool PortAudioWaveOut::write(WaveHeader& header)
{
    const std::uint32_t flags = header.flags.load();
    if (stream_ == nullptr || (flags & WaveHeader::prepared) == 0 || (flags & WaveHeader::inQueue) != 0)
        return false;
    const std::size_t tail = tail_.load(std::memory_order_relaxed);
    if (tail - head_.load(std::memory_order_acquire) >= queueCapacity)
        return false;
    header.flags.fetch_and(~WaveHeader::done);
    header.flags.fetch_or(WaveHeader::inQueue);
    queue_[tail % queueCapacity] = &header;
    tail_.store(tail + 1, std::memory_order_release);
    return true;
}

void PortAudioWaveOut::takeQueued(std::uint8_t* output, unsigned long frames)
{
    std::size_t wanted = frames * format_.blockAlign;
    std::size_t head = head_.load(std::memory_order_relaxed);
    while (wanted > 0) {
        if (head == tail_.load(std::memory_order_acquire)) {
            // Nothing written in time: the card plays silence rather than wait.
            std::memset(output, format_.bitsPerSample == 8 ? 128 : 0, wanted);
            return;
        }
        WaveHeader& header = *queue_[head % queueCapacity];
        const std::size_t count = std::min<std::size_t>(wanted, header.bufferLength - taken_);
        std::memcpy(output, header.data + taken_, count);
        output += count;
        wanted -= count;
        taken_ += static_cast<std::uint32_t>(count);
        if (taken_ == header.bufferLength) {
            taken_ = 0;
            head_.store(++head, std::memory_order_release);
            header.flags.fetch_and(~WaveHeader::inQueue);
            header.flags.fetch_or(WaveHeader::done);
            if (callback_ != nullptr)
                callback_(context_, header);
        }
    }
}

bool PortAudioWaveOut::reset()
{
    if (stream_ == nullptr)
        return false;
    const bool stopped = stopStream(true);
    // The stream is stopped: nobody else touches the queue now.
    std::size_t head = head_.load();
    const std::size_t tail = tail_.load();
    while (head != tail) {
        WaveHeader& header = *queue_[head % queueCapacity];
        head_.store(++head);
        header.flags.fetch_and(~WaveHeader::inQueue);
        header.flags.fetch_or(WaveHeader::done);
        if (callback_ != nullptr)
            callback_(context_, header);
    }
    taken_ = 0;
    // As with the wave-out services, a reset output is not paused: what is written next plays.
    return stopped && (paused_ || startStream());
}

bool PortAudioWaveOut::unprepare(WaveHeader& header)
{
    if (stream_ == nullptr || (header.flags.load() & WaveHeader::inQueue) != 0)
        return false;
    header.flags.fetch_and(~WaveHeader::prepared);
    return true;
}

bool PortAudioWaveOut::close()
{
    if (stream_ == nullptr || head_.load() != tail_.load())
        return false;
    stopStream(true);
    const bool closed = pa_->closeStream(asStream(stream_)) == paNoError;
    stream_ = nullptr;
    callback_ = nullptr;
    context_ = nullptr;
    outputLatency_ = 0;
    if (libraryStarted_) {
        pa_->terminate();
        libraryStarted_ = false;
    }
    return closed;
}
