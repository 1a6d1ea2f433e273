#pragma once

#include <cstdint>

#include "audio/SoundDevice.h"
#include "audio/SoundSource.h"

// A source whose samples follow a known pattern, so that any buffer the device writes can be
// predicted from the frame number alone: frame k (counted from the first block the source
// rendered) adds offset + k to the left (or only) value and -(offset + k) to the right.
class PatternSource : public SoundSource {
public:
    explicit PatternSource(std::int32_t offset) : offset_(offset) {}
    ~PatternSource() override
    {
        if (device != nullptr)
            device->removeSource(this);
    }

    void render8Mono(std::int32_t* mix, std::int32_t frames) override { add(mix, frames, 1); }
    void render8Stereo(std::int32_t* mix, std::int32_t frames) override { add(mix, frames, 2); }
    void render16Mono(std::int32_t* mix, std::int32_t frames) override { add(mix, frames, 1); }
    void render16Stereo(std::int32_t* mix, std::int32_t frames) override { add(mix, frames, 2); }

    // The value frame k adds to channel c.
    static std::int32_t value(std::int32_t offset, std::int64_t k, int c)
    {
        const auto v = static_cast<std::int32_t>(offset + k);
        return c == 0 ? v : -v;
    }

    // Blocks and frames rendered so far; read them under the device's render lock or
    // once the render thread has ended.
    std::int64_t blocks = 0;
    std::int64_t frames = 0;

private:
    void add(std::int32_t* mix, std::int32_t count, int deviceChannels)
    {
        for (std::int32_t i = 0; i < count; ++i)
            for (int c = 0; c < deviceChannels; ++c)
                mix[i * deviceChannels + c] += value(offset_, frames + i, c);
        frames += count;
        ++blocks;
    }

    std::int32_t offset_;
};
