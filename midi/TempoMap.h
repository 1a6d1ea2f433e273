#pragma once

#include "midi/Song.h"

#include <cstdint>
#include <vector>

namespace midi {

// The time of a tick from the song's start, exact: the sum over the tempo segments of
// ticks x tempo / division is carried as a fraction and rounded down once (never an
// accumulated float). 500000 us a quarter until the first tempo change; SMPTE division
// ignores tempo.
class TempoMap {
public:
    explicit TempoMap(const Song& song);

    std::uint64_t microsecondsAt(std::uint64_t tick) const;
    // floor(microsecondsAt(tick) x rate / 1000000)
    std::uint64_t frameAt(std::uint64_t tick, std::uint32_t rate) const;

private:
    struct Segment {
        std::uint64_t tick;                 // where the segment starts
        std::uint64_t microsecondsNumerator; // the exact time of `tick`, x denominator
        std::uint32_t microsecondsPerQuarter;
    };
    Division division_;
    std::vector<Segment> segments_;
};

} // namespace midi
