// Edits of one wave's samples. Edits that keep the length work in place; edits that
// change it build the new block and hand it to replaceWaveData, which also moves the
// tones that play the wave onto it.

#include "bank/ToneBank.h"

#include <algorithm>
#include <limits>
#include <new>

namespace {

using Samples = std::vector<std::int8_t>;

struct SampleRange {
    std::size_t begin;
    std::size_t end;
    bool empty() const { return begin == end; }
};

// Positions beyond the wave are lowered to its size; the ends may come in either order.
SampleRange normalizedRange(std::uint32_t a, std::uint32_t b, std::size_t size)
{
    const std::size_t first = std::min<std::size_t>(a, size);
    const std::size_t second = std::min<std::size_t>(b, size);
    return {std::min(first, second), std::max(first, second)};
}

std::int8_t clampToSample(std::int64_t value)
{
    return static_cast<std::int8_t>(std::clamp<std::int64_t>(value, -128, 127));
}

// Installs a new block of `length` samples as wave i, filled by fill(old, new) from the
// old samples. False, changing nothing, when the block cannot be allocated.
template <typename Fill> bool replaceWithNewLength(ToneBank& bank, std::uint32_t i, std::size_t length, Fill fill)
{
    try {
        auto block = std::make_shared<WaveBlock>(length);
        fill(bank.waveData(i)->samples, block->samples);
        bank.replaceWaveData(i, std::move(block));
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

// Resize and stretch: refused for a missing wave or a length below the shortest; the
// same length changes nothing.
template <typename Fill> bool changeLength(ToneBank& bank, std::uint32_t i, std::uint32_t length, Fill fill)
{
    if (i >= bank.waveCount() || length < ToneBank::shortestWave)
        return false;
    if (length == bank.waveSize(i))
        return true;
    return replaceWithNewLength(bank, i, length, fill);
}

} // namespace

bool ToneBank::deleteWaveRange(std::uint32_t i, std::uint32_t a, std::uint32_t b)
{
    if (i >= waveCount())
        return false;
    const std::vector<std::int8_t>& old = waves_[i]->samples;
    const SampleRange range = normalizedRange(a, b, old.size());
    if (range.empty())
        return true;
    const std::size_t newSize = old.size() - (range.end - range.begin);
    if (newSize < ToneBank::shortestWave)
        return false;
    return replaceWithNewLength(*this, i, newSize, [&](const Samples& from, Samples& to) {
        const auto cut = to.begin() + static_cast<std::ptrdiff_t>(range.begin);
        std::copy(from.begin(), from.begin() + static_cast<std::ptrdiff_t>(range.begin), to.begin());
        std::copy(from.begin() + static_cast<std::ptrdiff_t>(range.end), from.end(), cut);
    });
}

void ToneBank::normalizeRange(std::uint32_t i, std::uint32_t a, std::uint32_t b, std::int32_t peak)
{
    if (i >= waveCount())
        return;
    std::vector<std::int8_t>& samples = waves_[i]->samples;
    const SampleRange range = normalizedRange(a, b, samples.size());
    const auto first = samples.begin() + static_cast<std::ptrdiff_t>(range.begin);
    const auto last = samples.begin() + static_cast<std::ptrdiff_t>(range.end);
    std::int64_t largest = 0;
    for (auto s = first; s != last; ++s)
        largest = std::max<std::int64_t>(largest, *s < 0 ? -std::int64_t{*s} : *s);
    if (largest == 0)
        return;
    // 64 bits hold every product of a sample and a 32-bit peak; division truncates
    // toward zero.
    for (auto s = first; s != last; ++s)
        *s = clampToSample(std::int64_t{*s} * peak / largest);
}

void ToneBank::smoothRange(std::uint32_t i, std::uint32_t a, std::uint32_t b)
{
    if (i >= waveCount())
        return;
    std::vector<std::int8_t>& samples = waves_[i]->samples;
    const SampleRange range = normalizedRange(a, b, samples.size());
    if (range.empty())
        return;
    static constexpr int weights[7] = {1, 2, 4, 8, 4, 2, 1};
    static constexpr int weightSum = 22;
    const auto size = static_cast<std::int64_t>(samples.size());
    // Each result is stored before the next position is computed, so the left-hand
    // neighbours inside the range are already smoothed: that is the filter's sound.
    for (std::size_t p = range.begin; p < range.end; ++p) {
        int sum = 0;
        for (int k = -3; k <= 3; ++k) {
            std::int64_t at = (static_cast<std::int64_t>(p) + k) % size;
            if (at < 0)
                at += size;
            sum += weights[k + 3] * samples[static_cast<std::size_t>(at)];
        }
        samples[p] = clampToSample(sum / weightSum);
    }
}

WaveRef ToneBank::resizedWave(const std::vector<std::int8_t>& samples, std::uint32_t length)
{
    // A longer wave ends in silence.
    auto block = std::make_shared<WaveBlock>(length);
    const std::size_t kept = std::min<std::size_t>(samples.size(), length);
    std::copy(samples.begin(), samples.begin() + static_cast<std::ptrdiff_t>(kept), block->samples.begin());
    return block;
}

bool ToneBank::resizeWaveData(std::uint32_t i, std::uint32_t length)
{
    return changeLength(*this, i, length, [](const Samples& from, Samples& to) {
        to = std::move(resizedWave(from, static_cast<std::uint32_t>(to.size()))->samples);
    });
}

WaveRef ToneBank::stretchedWave(const std::vector<std::int8_t>& samples, std::uint32_t length)
{
    // New sample j copies old sample floor((old - 1) x j / length): there is no
    // interpolation, and the last old sample is never copied. The product needs 64
    // bits for long waves. An empty wave stretches to silence.
    auto block = std::make_shared<WaveBlock>(length);
    if (samples.empty() || length == 0)
        return block;
    // The quotient and remainder of span x j / length, carried from one j to the next
    // instead of divided out for each sample.
    const std::uint64_t span = samples.size() - 1;
    const std::uint64_t wholeStep = span / length;
    const std::uint64_t partStep = span % length;
    const std::int8_t* from = samples.data();
    std::int8_t* to = block->samples.data();
    std::uint64_t index = 0;
    std::uint64_t remainder = 0;
    for (std::size_t j = 0; j < length; ++j) {
        to[j] = from[index];
        index += wholeStep;
        remainder += partStep;
        if (remainder >= length) {
            remainder -= length;
            ++index;
        }
    }
    return block;
}

bool ToneBank::stretchWaveData(std::uint32_t i, std::uint32_t length)
{
    return changeLength(*this, i, length, [](const Samples& from, Samples& to) {
        to = std::move(stretchedWave(from, static_cast<std::uint32_t>(to.size()))->samples);
    });
}

bool ToneBank::stretchWaveAndTones(std::uint32_t i, std::uint32_t length)
{
    if (i >= waveCount() || length < shortestWave)
        return false;
    const std::uint32_t oldLength = waveSize(i);
    if (length == oldLength)
        return true;
    WaveRef block;
    try {
        block = stretchedWave(waves_[i]->samples, length);
    } catch (const std::bad_alloc&) {
        return false;
    }
    const WaveRef old = waves_[i];
    waves_[i] = block;
    forEachToneInUse([&](ToneRecord& tone) {
        if (tone.wave != old)
            return;
        tone.wave = block;
        tone.sampleCount = static_cast<std::int32_t>(length);
        const std::uint32_t cycle = stretchedPosition(static_cast<std::uint32_t>(tone.cycleSize), oldLength, length);
        tone.cycleSize = static_cast<std::int32_t>(std::min(cycle, length));
        tone.loopReturn = static_cast<std::int32_t>(
            stretchedPosition(static_cast<std::uint32_t>(tone.loopReturn), oldLength, length));
    });
    return true;
}

std::uint32_t ToneBank::stretchedPosition(std::uint32_t position, std::uint32_t oldLength,
                                          std::uint32_t newLength)
{
    if (oldLength == 0)
        return position;
    const std::uint64_t scaled = std::uint64_t{position} * newLength / oldLength;
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(scaled, std::numeric_limits<std::uint32_t>::max()));
}
