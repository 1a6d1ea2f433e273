// The edits that keep a wave's length, made a stretch at a time or in one go.

#include "bank/SampleEdit.h"

#include "bank/ToneBank.h"

#include <algorithm>

namespace {

using Samples = SampleEdit::Samples;

std::int8_t clampToSample(std::int64_t value)
{
    return static_cast<std::int8_t>(std::clamp<std::int64_t>(value, -128, 127));
}

// Position p + offset of a circular wave of `size` samples; |offset| is at most 3.
std::size_t circularPosition(std::size_t p, int offset, std::size_t size)
{
    if (p >= 3 && p + 3 < size)
        return static_cast<std::size_t>(static_cast<std::int64_t>(p) + offset);
    std::int64_t at = (static_cast<std::int64_t>(p) + offset) % static_cast<std::int64_t>(size);
    if (at < 0)
        at += static_cast<std::int64_t>(size);
    return static_cast<std::size_t>(at);
}

} // namespace

SampleRange sampleRangeWithin(std::uint32_t a, std::uint32_t b, std::size_t size)
{
    const std::size_t first = std::min<std::size_t>(a, size);
    const std::size_t second = std::min<std::size_t>(b, size);
    return {std::min(first, second), std::max(first, second)};
}

SampleEdit amplitudeEdit(const Samples& samples, std::uint32_t a, std::uint32_t b, std::int32_t peak)
{
    const SampleRange range = sampleRangeWithin(a, b, samples.size());
    std::int64_t largest = 0;
    for (std::size_t p = range.begin; p < range.end; ++p)
        largest = std::max<std::int64_t>(largest, samples[p] < 0 ? -std::int64_t{samples[p]} : samples[p]);
    if (largest == 0)
        return {range.begin, range.begin, {}};
    // 64 bits hold every product of a sample and a 32-bit peak; division truncates
    // toward zero.
    return {range.begin, range.end,
            [peak, largest](const Samples& from, std::size_t first, std::size_t last, std::int8_t* out) {
                for (std::size_t p = first; p < last; ++p)
                    out[p - first] = clampToSample(std::int64_t{from[p]} * peak / largest);
            }};
}

SampleEdit smoothingEdit(const Samples& samples, std::uint32_t a, std::uint32_t b)
{
    const SampleRange range = sampleRangeWithin(a, b, samples.size());
    return {range.begin, range.end, [](const Samples& from, std::size_t first, std::size_t last, std::int8_t* out) {
                static constexpr int weights[7] = {1, 2, 4, 8, 4, 2, 1};
                static constexpr int weightSum = 22;
                const std::size_t size = from.size();
                // Each result is taken as the value of its position before the next one is
                // computed, so the left-hand neighbours inside the range are already
                // smoothed: that is the filter's sound. Those of this stretch are in `out`.
                for (std::size_t p = first; p < last; ++p) {
                    int sum = 0;
                    for (int k = -3; k <= 3; ++k) {
                        const std::size_t q = circularPosition(p, k, size);
                        sum += weights[k + 3] * (q >= first && q < p ? out[q - first] : from[q]);
                    }
                    out[p - first] = clampToSample(sum / weightSum);
                }
            }};
}

SampleEdit sampleWrite(std::size_t index, std::int8_t value)
{
    return {index, index + 1, [value](const Samples&, std::size_t first, std::size_t last, std::int8_t* out) {
                std::fill(out, out + (last - first), value);
            }};
}

void applyInPlace(Samples& samples, const SampleEdit& edit)
{
    if (edit.begin < edit.end)
        edit.compute(samples, edit.begin, edit.end, samples.data() + edit.begin);
}

void ToneBank::normalizeRange(std::uint32_t i, std::uint32_t a, std::uint32_t b, std::int32_t peak)
{
    if (i >= waveCount())
        return;
    Samples& samples = waves_[i]->samples;
    applyInPlace(samples, amplitudeEdit(samples, a, b, peak));
}

void ToneBank::smoothRange(std::uint32_t i, std::uint32_t a, std::uint32_t b)
{
    if (i >= waveCount())
        return;
    Samples& samples = waves_[i]->samples;
    applyInPlace(samples, smoothingEdit(samples, a, b));
}
