#pragma once

#include <atomic>
#include <cstdint>

// The PCM format of an output stream, field for field the one the wave-out services take.
struct WaveFormat {
    static constexpr std::uint16_t pcm = 1;

    std::uint16_t formatTag = pcm;
    std::uint16_t channels = 0;
    std::uint32_t samplesPerSec = 0;
    std::uint32_t avgBytesPerSec = 0;
    std::uint16_t blockAlign = 0;
    std::uint16_t bitsPerSample = 0;

    // A PCM format of `bits` (8 or 16), `rate` and `channels`, with the derived fields filled in.
    static WaveFormat pcmFormat(std::int32_t bits, std::int32_t rate, std::int32_t channels);
};

// One output buffer as the wave-out services know it. The output sets `done` in `flags`
// once it has taken the whole buffer, from its own thread, so `flags` is atomic.
struct WaveHeader {
    static constexpr std::uint32_t done = 0x01;
    static constexpr std::uint32_t prepared = 0x02;
    static constexpr std::uint32_t inQueue = 0x10;

    std::uint8_t* data = nullptr;
    std::uint32_t bufferLength = 0;
    std::uint32_t bytesRecorded = 0;
    std::atomic<std::uint32_t> flags{0};
    std::uint32_t loops = 0;

    WaveHeader() = default;
    WaveHeader(const WaveHeader&) = delete;
    WaveHeader& operator=(const WaveHeader&) = delete;

    void clear();
    bool isDone() const { return (flags.load() & done) != 0; }
};

// Where the sound device sends its buffers: the wave-out services, or something that
// behaves like them. Buffers are played in the order they were written. A written
// header (and its data) must stay untouched until it is done again or the output is
// reset. Every operation returns true on success.
class WaveOut {
public:
    // Called once per finished buffer, after its `done` flag is set. It may run on any
    // thread, also inside `write`, `restart` or `reset`, and must never block.
    using DoneCallback = void (*)(void* context, WaveHeader& header);

    virtual ~WaveOut() = default;

    // Opens the output in the running (not paused) state with no buffer queued.
    virtual bool open(const WaveFormat& format, DoneCallback callback, void* context) = 0;
    // Holds playback where it is; queued buffers stay queued.
    virtual bool pause() = 0;
    // Resumes playback after `pause`.
    virtual bool restart() = 0;
    virtual bool prepare(WaveHeader& header) = 0;
    // Queues a prepared header; clears its `done` flag.
    virtual bool write(WaveHeader& header) = 0;
    // Stops playback and returns every queued buffer marked done (with the callback).
    virtual bool reset() = 0;
    virtual bool unprepare(WaveHeader& header) = 0;
    // Closes the output; fails while buffers are still queued (reset first).
    virtual bool close() = 0;
};
