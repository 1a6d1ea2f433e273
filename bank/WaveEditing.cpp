// Edits that change one wave's length: they build the new block and hand it to
// replaceWaveData, which also moves the tones that play the wave onto it. The edits that
// keep the length work in place (SampleEdits.cpp).

#include "bank/ToneBank.h"

#include "bank/SampleEdit.h"

#include <algorithm>
#include <limits>
#include <new>

namespace {

using Samples = std::vector<std::int8_t>;

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

} // namespace

bool ToneBank::deleteWaveRange(std::uint32_t i, std::uint32_t a, std::uint32_t b)
{
    if (i >= waveCount())
        return false;
    const std::vector<std::int8_t>& old = waves_[i]->samples;
    const SampleRange range = sampleRangeWithin(a, b, old.size());
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

WaveRef ToneBank::resizedWave(const std::vector<std::int8_t>& samples, std::uint32_t length)
{
    // A longer wave ends in silence.
    auto block = std::make_shared<WaveBlock>(length);
    const std::size_t kept = std::min<std::size_t>(samples.size(), length);
    std::copy(samples.begin(), samples.begin() + static_cast<std::ptrdiff_t>(kept), block->samples.begin());
    return block;
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

ToneBank::LengthResult ToneBank::changeWaveLength(std::uint32_t i, std::uint32_t length, LengthChange how,
                                                  ToneRescaling rescaling)
{
    if (i >= waveCount() || length < shortestWave)
        return LengthResult::refused;
    const std::uint32_t oldLength = waveSize(i);
    if (length == oldLength)
        return LengthResult::sameLength;
    WaveRef block;
    try {
        block = how == LengthChange::stretch ? stretchedWave(waves_[i]->samples, length)
                                             : resizedWave(waves_[i]->samples, length);
    } catch (const std::bad_alloc&) {
        return LengthResult::outOfMemory;
    }
    // The tones' own values, before replaceWaveData keeps their cycle sizes within the wave.
    std::vector<std::pair<ToneRecord*, ToneRecord>> before;
    if (how == LengthChange::stretch && rescaling == ToneRescaling::everyToneOfTheWave)
        forEachToneInUse([&](ToneRecord& tone) {
            if (tone.wave == waves_[i])
                before.emplace_back(&tone, tone);
        });
    replaceWaveData(i, block);
    for (auto& [tone, old] : before) {
        const std::uint32_t cycle = stretchedPosition(static_cast<std::uint32_t>(old.cycleSize), oldLength, length);
        tone->cycleSize = static_cast<std::int32_t>(std::min(cycle, length));
        tone->loopReturn =
            static_cast<std::int32_t>(stretchedPosition(static_cast<std::uint32_t>(old.loopReturn), oldLength, length));
    }
    return LengthResult::changed;
}

std::uint32_t ToneBank::stretchedPosition(std::uint32_t position, std::uint32_t oldLength, std::uint32_t newLength)
{
    if (oldLength == 0)
        return position;
    const std::uint64_t scaled = std::uint64_t{position} * newLength / oldLength;
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(scaled, std::numeric_limits<std::uint32_t>::max()));
}
