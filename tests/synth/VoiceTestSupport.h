#pragma once

#include "audio/OfflineWaveOut.h"
#include "audio/SoundDevice.h"
#include "bank/ToneRecord.h"
#include "synth/NoteTable.h"
#include "synth/Synth.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <mutex>
#include <vector>

inline WaveRef waveOf(const std::vector<std::int8_t>& samples)
{
    auto block = std::make_shared<WaveBlock>(samples.size());
    block->samples = samples;
    return block;
}

// 256 distinct-looking samples covering the whole signed range, so that a wrong index
// shows up as a wrong value.
inline WaveRef scrambledWave(std::size_t size = 256)
{
    std::vector<std::int8_t> samples(size);
    for (std::size_t i = 0; i < size; ++i)
        samples[i] = static_cast<std::int8_t>(static_cast<int>((i * 37 + 11) % 256) - 128);
    return waveOf(samples);
}

// An instrument tone that is at full level from its first sample and stays there while
// the key is held (DR = 0); its release ends the voice at once. Its rates are twice
// what it takes at 22050 Hz, so that this holds at 44100 Hz too. One cycle is the whole
// wave, which loops from its start.
inline ToneRecord fullLevelTone(const WaveRef& wave)
{
    ToneRecord tone;
    tone.AR = 2 * fullScaleLevel;
    tone.DL = fullScaleLevel;
    tone.RR = 2 * fullScaleLevel;
    tone.wave = wave;
    tone.sampleCount = static_cast<std::int32_t>(wave->samples.size());
    tone.cycleSize = tone.sampleCount;
    tone.frequencyShift = 8;
    return tone;
}

// A drum-algorithm tone that plays its whole wave at `speed` (65536 = one sample per
// sample at 22050 Hz) held and released.
inline ToneRecord drumTone(const WaveRef& wave, std::int32_t speed = 65536)
{
    ToneRecord tone;
    tone.drumAlgorithm = 1;
    tone.wave = wave;
    tone.sampleCount = static_cast<std::int32_t>(wave->samples.size());
    tone.cycleSize = tone.sampleCount;
    tone.gainRate = speed;
    tone.amplitude = speed;
    return tone;
}

// The frequency argument (Hz x 128) at which a tone whose cycle is `cycleSize` samples
// advances exactly `samplesPerSample` samples per output sample at `rate`.
inline std::uint32_t frequencyForStep(std::uint32_t cycleSize, std::uint32_t samplesPerSample, std::uint32_t rate)
{
    return samplesPerSample * rate * frequencyUnit / cycleSize;
}

// A sound device on an offline output. Nothing plays until the test says so, so the
// render thread stays idle and the test may also call a voice's render routine itself.
struct OfflineDevice {
    OfflineDevice(std::int32_t bits, std::int32_t rate, std::int32_t channels)
    {
        EXPECT_TRUE(device.open(bits, rate, channels));
        queuedAtOpen = output.writeCount();
    }

    // Lets the output play one buffer at a time, `count` times, each refilled by the
    // render thread before the next; gives the bytes of those refills.
    std::vector<std::uint8_t> refill(std::size_t count)
    {
        const std::size_t first = output.writeCount();
        for (std::size_t i = 0; i < count; ++i)
            EXPECT_TRUE(output.playNextAndWait(device));
        return output.writtenBytes(first);
    }

    // The same as 16-bit samples.
    std::vector<std::int16_t> refill16(std::size_t count)
    {
        const std::vector<std::uint8_t> bytes = refill(count);
        std::vector<std::int16_t> samples(bytes.size() / 2);
        for (std::size_t i = 0; i < samples.size(); ++i)
            samples[i] = static_cast<std::int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
        return samples;
    }

    // Frames in one ring buffer.
    std::size_t bufferFrames() const { return static_cast<std::size_t>(16 * device.blockFrames()); }

    OfflineWaveOut output;
    SoundDevice device{output};
    std::size_t queuedAtOpen = 0;
};

// Calls the voice's current render routine on this thread (holding the render lock, as
// the render thread does) for `frames` frames into a zeroed mix.
inline std::vector<std::int32_t> renderDirect(Synth& synth, SoundDevice& device, std::int32_t frames)
{
    std::vector<std::int32_t> mix(static_cast<std::size_t>(frames * device.channelCount()), 0);
    std::lock_guard lock(device.renderLock());
    synth.renderRoutine.load()(synth, mix.data(), frames);
    return mix;
}

// Index of the first difference of two sample sequences, or -1 when they are equal.
template <typename T> long firstDifference(const std::vector<T>& a, const std::vector<T>& b)
{
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i)
        if (a[i] != b[i])
            return static_cast<long>(i);
    return a.size() == b.size() ? -1 : static_cast<long>(n);
}

#define EXPECT_SAME_SAMPLES(expected, actual)                                                                          \
    do {                                                                                                               \
        const long at = firstDifference(expected, actual);                                                             \
        EXPECT_EQ(at, -1) << "first difference at sample " << at << ": expected "                                      \
                          << (at >= 0 && static_cast<std::size_t>(at) < (expected).size() ? (expected)[at] : 0)        \
                          << ", got "                                                                                  \
                          << (at >= 0 && static_cast<std::size_t>(at) < (actual).size() ? (actual)[at] : 0)            \
                          << " (sizes " << (expected).size() << " and " << (actual).size() << ")";                     \
    } while (0)
