// The sound card's part in tests that edit a wave while a note of it plays: the offline
// output plays buffer after buffer, each as soon as the render thread has refilled the one
// before, for as long as the edit runs.
#pragma once

#include "audio/OfflineWaveOut.h"
#include "audio/SoundDevice.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

// A square wave of +-100 with a period of 64 samples: it sounds in every buffer, smoothed
// or not. Smoothing lowers the last sample of each half period (31, 95, ...) to 29.
inline std::vector<std::int8_t> squareWaveSamples(std::size_t size)
{
    std::vector<std::int8_t> samples(size);
    for (std::size_t i = 0; i < size; ++i)
        samples[i] = static_cast<std::int8_t>(i / 32 % 2 == 0 ? 100 : -100);
    return samples;
}

class PlayingThroughAnEdit {
public:
    PlayingThroughAnEdit(OfflineWaveOut& output, SoundDevice& device) : output_(output), device_(device)
    {
        output_.deliverTo([this](const std::uint8_t* data, std::size_t count) {
            if (std::all_of(data, data + count, [](std::uint8_t byte) { return byte == 0; }))
                ++silentBuffers;
        });
    }
    ~PlayingThroughAnEdit() { output_.deliverTo({}); }
    PlayingThroughAnEdit(const PlayingThroughAnEdit&) = delete;
    PlayingThroughAnEdit& operator=(const PlayingThroughAnEdit&) = delete;

    // Plays while `editing` holds. `partlyEdited` tells, taking the device's render lock to
    // look, whether the wave is part edited: a refill that begins and ends while it is can
    // only come from a render thread that the edit lets through between its stretches.
    void playWhile(const std::atomic<bool>& editing, const std::function<bool()>& partlyEdited)
    {
        while (editing.load()) {
            const bool before = partlyEdited();
            if (!output_.playNextAndWait(device_)) {
                stalled = true;
                return;
            }
            if (before && partlyEdited())
                ++refillsWhilePartlyEdited;
        }
    }

    int refillsWhilePartlyEdited = 0;
    std::atomic<int> silentBuffers{0};
    bool stalled = false;

private:
    OfflineWaveOut& output_;
    SoundDevice& device_;
};
