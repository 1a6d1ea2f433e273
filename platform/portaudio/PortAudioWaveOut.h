#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

#include "audio/WaveOut.h"

// The WaveOut of a real sound card: the system's default output device through PortAudio.
// Buffers reach the card through the library's stream callback, which takes bytes from
// the buffers already written (a lock-free hand-over: it never waits for anyone) and marks
// each buffer done once it has taken all of it; when nothing is written in time the card
// plays silence. Without a usable output device `open` fails. The library's sound-system
// libraries are kept from printing to the console.
//
// `write` may run on another thread than the other operations (the sound device's render
// thread); `open`, `pause`, `restart`, `reset` and `close` belong to one thread.
class PortAudioWaveOut : public WaveOut {
public:
    PortAudioWaveOut() = default;
    ~PortAudioWaveOut() override;
    PortAudioWaveOut(const PortAudioWaveOut&) = delete;
    PortAudioWaveOut& operator=(const PortAudioWaveOut&) = delete;

    bool open(const WaveFormat& format, DoneCallback callback, void* context) override;
    bool pause() override;
    bool restart() override;
    bool prepare(WaveHeader& header) override;
    bool write(WaveHeader& header) override;
    bool reset() override;
    bool unprepare(WaveHeader& header) override;
    bool close() override;

    // The latency the library reports for the open stream, in seconds: how long a byte
    // taken from a buffer waits before the card plays it. 0 while closed.
    double outputLatency() const { return outputLatency_; }

    // Fills `frames` frames of the card's buffer at `output`; called by the stream.
    void takeQueued(std::uint8_t* output, unsigned long frames);

private:
    bool startStream();
    bool stopStream(bool discard);

    // Room for more buffers than the sound device ever has queued.
    static constexpr std::size_t queueCapacity = 16;

    const struct PortAudioLibrary* pa_ = nullptr;
    void* stream_ = nullptr;
    bool libraryStarted_ = false;
    bool streamActive_ = false;
    bool paused_ = false;
    WaveFormat format_;
    DoneCallback callback_ = nullptr;
    void* context_ = nullptr;
    double outputLatency_ = 0;

    // Written buffers in play order: `write` adds at `tail_`, the stream takes from
    // `head_`; each index has a single writer.
    std::array<WaveHeader*, queueCapacity> queue_{};
    std::atomic<std::size_t> head_{0};
    std::atomic<std::size_t> tail_{0};
    // Bytes of the buffer at `head_` already taken; the stream's alone while it runs.
    std::uint32_t taken_ = 0;
};
