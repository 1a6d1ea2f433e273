#include "midi/TempoMap.h"

#include <algorithm>
#include <limits>

namespace midi {
namespace {

constexpr std::uint32_t microsecondsPerSecond = 1000000;

} // namespace

TempoMap::TempoMap(const Song& song)
{
    const Division& division = song.division;
    if (division.smpte) {
        // A tick lasts 1000000 / (fps x ticks per frame) us, with 29 frames per second
        // standing for 30000/1001; the tempo plays no part.
        const bool dropFrame = division.framesPerSecond == 29;
        const std::uint32_t framesNumerator = dropFrame ? 30000 : division.framesPerSecond;
        const std::uint32_t framesDenominator = dropFrame ? 1001 : 1;
        denominator_ =
            Exact{std::max<std::uint32_t>(framesNumerator, 1)} * std::max<std::uint8_t>(division.ticksPerFrame, 1);
        segments_.push_back({0, 0, microsecondsPerSecond * framesDenominator});
        return;
    }
    // A song built by hand may carry a division of 0; it counts as 1 instead of dividing by zero.
    denominator_ = std::max<std::uint16_t>(division.ticksPerQuarter, 1);
    segments_.push_back({0, 0, 500000});
    std::vector<TempoChange> changes = song.tempoChanges;
    std::stable_sort(changes.begin(), changes.end(),
                     [](const TempoChange& a, const TempoChange& b) { return a.tick < b.tick; });
    for (const TempoChange& change : changes) {
        Segment& last = segments_.back();
        if (change.tick == last.tick) {
            last.perTick = change.microsecondsPerQuarter; // of two on one tick the later applies
            continue;
        }
        segments_.push_back({change.tick, last.numerator + Exact{change.tick - last.tick} * last.perTick,
                             change.microsecondsPerQuarter});
    }
}

std::uint64_t TempoMap::microsecondsAt(std::uint64_t tick) const
{
    const auto after = std::upper_bound(segments_.begin(), segments_.end(), tick,
                                        [](std::uint64_t t, const Segment& segment) { return t < segment.tick; });
    const Segment& segment = *(after - 1);
    // At most 2^64 ticks x 2^32 per tick: the numerator cannot wrap; only its quotient
    // may exceed 64 bits, and then the latest time there is stands for it.
    const Exact numerator = segment.numerator + Exact{tick - segment.tick} * segment.perTick;
    const Exact microseconds = numerator / denominator_;
    return microseconds > std::numeric_limits<std::uint64_t>::max() ? std::numeric_limits<std::uint64_t>::max()
                                                                    : static_cast<std::uint64_t>(microseconds);
}

std::uint64_t TempoMap::frameAt(std::uint64_t tick, std::uint32_t rate) const
{
    const Exact frame = Exact{microsecondsAt(tick)} * rate / microsecondsPerSecond;
    return frame > std::numeric_limits<std::uint64_t>::max() ? std::numeric_limits<std::uint64_t>::max()
                                                             : static_cast<std::uint64_t>(frame);
}

} // namespace midi
