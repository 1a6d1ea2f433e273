#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "framework/File.h"

class SoundDevice;

// Something the sound device pulls samples from. Connected to a device, it sits in the
// device's source list, and the render thread calls its `renderRoutine` once per block
// (or per stretch of blocks, where a source's `spanRoutine` allows one) to add that many
// frames into the device's 32-bit mix buffer (interleaved left, right on a 2-channel
// device). The base class plays a PCM buffer of its own, made silent by
// `allocate` or read from a WAV file by `loadWave`; `bufferLength` and `playPosition`
// count frames.
//
// Threads: the render routine runs on the render thread, holding the device's render
// lock; everything else runs on the user-interface thread. `playing`, `stopRequest`,
// `loop` and `renderRoutine` are atomic because both threads touch them. A derived class
// whose render routine reads its own fields must leave its device (`removeSource`) in its
// own destructor, before those fields are gone.
class SoundSource {
public:
    static constexpr std::uint32_t errorRefused = 0x80000001u;
    static constexpr std::uint32_t errorNoMemory = 0x80000004u;
    static constexpr std::uint32_t errorWaveFile = 0x80000006u;
    static constexpr std::uint32_t errorBusy = 0x80000008u;

    // What the device calls per block or stretch: adds `frames` frames into `mix`.
    using RenderRoutine = void (*)(SoundSource& source, std::int32_t* mix, std::int32_t frames);
    // What the device calls, for a source that has one, at the start of each stretch of
    // blocks, before any render routine: does the source's work for the stretch's first
    // block and says how many blocks, 1 to `most`, the stretch may take; every render
    // routine then adds them in one call. Where no source has one, the device renders
    // block by block.
    using SpanRoutine = std::int32_t (*)(SoundSource& source, std::int32_t most);

    SoundSource();
    virtual ~SoundSource();
    SoundSource(const SoundSource&) = delete;
    SoundSource& operator=(const SoundSource&) = delete;

    // The four render slots, one per output width (8 or 16 bits) and device channel count.
    virtual void render8Mono(std::int32_t* mix, std::int32_t frames);
    virtual void render8Stereo(std::int32_t* mix, std::int32_t frames);
    virtual void render16Mono(std::int32_t* mix, std::int32_t frames);
    virtual void render16Stereo(std::int32_t* mix, std::int32_t frames);

    // Joins `device` as a source of `channelCount` channels (0: the device's own count).
    virtual bool connect(SoundDevice& device, std::int32_t channelCount);
    // A new silent PCM buffer of `frames` frames in the source's format.
    virtual bool allocate(std::int32_t frames);
    // Starts playback from the beginning; `loop` nonzero repeats the buffer.
    virtual bool play(std::int32_t loop);
    // Ends playback: when it returns, the render thread no longer plays this source's
    // buffer. Returns within one block, also when no render thread is running.
    virtual void stop();
    // Starts playback from the current position.
    virtual bool resume(std::int32_t loop);
    // Reads a PCM WAV file of the source's own rate, width and channel count.
    virtual bool loadWave(const char* fileName);
    // `bufferLength`, or 0 without a buffer.
    virtual std::int32_t length() const;

    // The render routine that calls render slot 0, 1, 2 or 3 through the virtual table,
    // chosen by the source's sample width (8, anything else counting as 16) and the
    // device's channel count.
    static RenderRoutine renderSlot(std::int32_t bitsPerSample, std::int32_t deviceChannels);

    std::uint32_t status = 0;
    SoundDevice* device = nullptr;
    std::int32_t sampleRate = 11025;
    std::int32_t bitsPerSample = 8;
    std::int32_t channels = 1;
    std::int32_t bufferLength = 0;
    std::int32_t playPosition = 0;
    std::atomic<std::int32_t> loop{0};
    std::int32_t pan = 0;
    std::atomic<bool> playing{false};
    std::atomic<bool> stopRequest{false};
    // Links of the device's source list, and the device whose list it is; the device
    // changes them under its render lock.
    SoundSource* prev = nullptr;
    SoundSource* next = nullptr;
    SoundDevice* listedBy = nullptr;
    File waveFile;
    std::atomic<RenderRoutine> renderRoutine{nullptr};
    std::atomic<SpanRoutine> spanRoutine{nullptr};
    std::vector<std::uint8_t> buffer;

private:
    // Bytes of one frame of the PCM buffer.
    std::int32_t frameBytes() const;
    // The PCM playback that the base render slots share.
    void playBuffer(std::int32_t* mix, std::int32_t frames, std::int32_t deviceChannels);
};
