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
    // Sums of ticks x microseconds a tick, which 64 bits do not always hold.
    __extension__ typedef unsigned __int128 Exact;
    struct Segment {
        std::uint64_t tick;    // where the segment starts
        Exact numerator;       // the exact time of `tick` in microseconds, x denominator_
        std::uint32_t perTick; // what a tick adds to the numerator within the segment
    };
    Exact denominator_ = 1;
    std::vector<Segment> segments_;
};

} // namespace midi
