#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

#include "audio/AutoResetEvent.h"
#include "audio/WaveOut.h"

class SoundSource;

// Sends PCM to a WaveOut. While open it keeps a ring of eight buffers queued there; its
// render thread refills each buffer as soon as the output has played it, by letting every
// connected source add one block after another into a 32-bit mix buffer and converting
// each block into output samples. With no sounding source it queues silence.
//
// Threads: `open`, `close`, `addSource` and `removeSource` run on the user-interface
// thread. The render thread holds `renderLock()` while it renders a block (it walks the
// source list and calls the render routines); every user-interface operation that changes
// what a render routine reads takes the same lock. Never wait for the render thread
// (`SoundSource::stop` of a playing source, `close`) while holding it.
class SoundDevice {
public:
    static constexpr std::uint32_t errorUnsupportedRate = 0x80000001u;
    static constexpr std::uint32_t errorWaveOut = 0x80000003u;
    static constexpr std::uint32_t errorNoResources = 0x80000004u;

    static constexpr int bufferCount = 8;
    static constexpr int blocksPerBuffer = 16;
    // Refills after which one wake-up queues silence instead of rendering, to catch up.
    static constexpr int catchUpRefills = 12;
    static constexpr int maxBlockFrames = 176;
    // Room for one block of the largest format: 176 frames of 2 channels.
    static constexpr int mixBufferValues = maxBlockFrames * 2;
    using MixBuffer = std::array<std::int32_t, mixBufferValues>;

    // Converts `count` mix values into output samples at `out`; returns the advanced pointer.
    using ConvertRoutine = std::uint8_t* (*)(std::uint8_t* out, const std::int32_t* mix, std::int32_t count);

    // The device writes to `waveOut`, which must outlive it.
    explicit SoundDevice(WaveOut& waveOut);
    ~SoundDevice();
    SoundDevice(const SoundDevice&) = delete;
    SoundDevice& operator=(const SoundDevice&) = delete;

    // `bits` 8 or 16 (anything but 8 counts as 16), `rate` 11025, 22050 or 44100,
    // `channels` 1 or 2. Closes the device first (disconnecting every source).
    bool open(std::int32_t bits, std::int32_t rate, std::int32_t channels);
    // Disconnects every source, stops the render thread and the output. Safe when closed.
    void close();

    // Called by a source's `connect`: `channelCount` 0 means the device's own.
    bool addSource(SoundSource* source, std::int32_t channelCount);
    // Stops the source and takes it out of the list; nothing if it is not in the list.
    void removeSource(SoundSource* source);
    std::int32_t channelCount() const { return channels_; }

    std::int32_t sampleRate() const { return sampleRate_; }
    std::int32_t bitsPerSample() const { return bitsPerSample_; }
    // Frames per render block: 44, 88 or 176 (about 4 ms); 0 while closed.
    std::int32_t blockFrames() const { return blockFrames_; }
    // Bytes of one output frame, and of one ring buffer (16 blocks).
    std::int32_t frameBytes() const;
    std::int32_t bufferBytes() const;
    bool isOpen() const { return renderThread_.joinable(); }
    // The first source of the list, in the order the sources were added.
    SoundSource* firstSource() const { return sources_; }

    std::mutex& renderLock() { return renderLock_; }

    // Buffers the render thread has refilled and written since `open`.
    std::uint64_t refillCount() const { return refills_.load(); }
    // Waits until `count` buffers were refilled since `open` and the render thread has no
    // refill in progress. An output that plays faster than real time (offline) waits for
    // this before it plays the next buffers, so that they are refilled in a wake-up of
    // their own and the catch-up rule, which counts the refills of one wake-up, never
    // mistakes it for falling behind. False when the time ran out first.
    bool waitForRefills(std::uint64_t count, std::chrono::milliseconds timeout);

    // Whether a wake-up of the render thread that refills more than catchUpRefills
    // buffers queues silence instead, to catch up (the default). An output that plays a
    // buffer only once it was refilled, as an offline render's does, never falls behind:
    // without the rule one wake-up may refill buffer after buffer to a song's end. Set
    // while the device is closed.
    void setCatchUp(bool catchUp) { catchUp_ = catchUp; }

    // Scales the mix of every block before it is converted to output samples, in 16.16
    // fixed point (products beyond 32 bits saturate); unitOutputGain, the gain of a new
    // device, converts the mix as it is. Takes effect at the next block.
    static constexpr std::int32_t unitOutputGain = 65536;
    void setOutputGain(std::int32_t gain) { outputGain_.store(gain); }
    std::int32_t outputGain() const { return outputGain_.load(); }

    // The two conversions: clip each value to -32768..32767 and store it as a
    // little-endian 16-bit sample; or add 128, clip to 0..255 and store a byte.
    static std::uint8_t* convert16(std::uint8_t* out, const std::int32_t* mix, std::int32_t count);
    static std::uint8_t* convert8(std::uint8_t* out, const std::int32_t* mix, std::int32_t count);

    std::uint32_t status = 0;

private:
    static void bufferDoneCallback(void* context, WaveHeader& header);
    void renderThreadMain();
    // Refills the next buffer of the ring if the output has played it; `n` counts the
    // refills of this wake-up. False when there was nothing to refill (or it failed).
    bool fillNext(int n);
    // Whether a wake-up of the render thread is refilling, for `waitForRefills`.
    void setRefilling(bool refilling);
    void renderBuffer(std::uint8_t* out);
    // Asks the sources' span routines, under the render lock, how many blocks (up to
    // `most`) the next stretch takes: 1 where none has one.
    int startSpan(int most);
    int silenceByte() const;
    // Ends the thread and the output and frees the buffers, keeping `status`.
    void release();
    void restoreClosedValues();

    WaveOut& waveOut_;
    std::unique_ptr<std::uint8_t[]> bufferMemory_;
    std::int32_t sampleRate_ = 11025;
    std::int32_t bitsPerSample_ = 8;
    std::int32_t channels_ = 1;
    std::int32_t blockFrames_ = 0;
    bool waveOutOpen_ = false;
    SoundSource* sources_ = nullptr;
    std::array<WaveHeader, bufferCount> headers_;
    int nextHeader_ = 0;
    // The buffer at `nextHeader_` was refilled but the output refused it; write it again.
    bool writePending_ = false;
    std::atomic<bool> running_{false};
    std::thread renderThread_;
    ConvertRoutine convertRoutine_ = &convert8;
    AutoResetEvent bufferDone_;
    std::mutex renderLock_;
    std::mutex idleMutex_;
    std::condition_variable idleChanged_;
    bool refilling_ = false;
    std::atomic<std::uint64_t> refills_{0};
    std::atomic<std::int32_t> outputGain_{unitOutputGain};
    bool catchUp_ = true;
};
