#include "midi/TempoMap.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

midi::Song metricalSong(std::uint16_t ticksPerQuarter, std::vector<midi::TempoChange> changes)
{
    midi::Song song;
    song.division.ticksPerQuarter = ticksPerQuarter;
    song.tempoChanges = std::move(changes);
    return song;
}

} // namespace

TEST(TempoMap, SumsTheSegmentsExactlyAndRoundsDownOnce)
{
    // Three ticks a quarter: every tick is a third of the tempo. Rounding each segment
    // would lose a microsecond at every change; the exact sum loses none.
    const midi::TempoMap map(metricalSong(3, {{1, 1000000}, {2, 500000}, {4, 1}}));
    EXPECT_EQ(map.microsecondsAt(0), 0u);
    EXPECT_EQ(map.microsecondsAt(1), 166666u);           // 500000 / 3
    EXPECT_EQ(map.microsecondsAt(2), 500000u);           // (500000 + 1000000) / 3
    EXPECT_EQ(map.microsecondsAt(3), 666666u);           // 2000000 / 3
    EXPECT_EQ(map.microsecondsAt(4), 833333u);           // 2500000 / 3
    EXPECT_EQ(map.microsecondsAt(3004), 833333u + 1000); // 2500000 + 3000 x 1, over 3
    // frame = floor(floor(us) x rate / 1000000)
    EXPECT_EQ(map.frameAt(1, 44100), 7349u); // 166666 x 0.0441 = 7349.97
    EXPECT_EQ(map.frameAt(2, 44100), 22050u);
    EXPECT_EQ(map.frameAt(2, 1), 0u);
}

TEST(TempoMap, OfTwoChangesOnOneTickTheLaterApplies)
{
    const midi::TempoMap map(metricalSong(1, {{10, 1}, {10, 2}, {20, 100}, {20, 3}}));
    EXPECT_EQ(map.microsecondsAt(10), 5000000u);
    EXPECT_EQ(map.microsecondsAt(20), 5000000u + 10 * 2);
    EXPECT_EQ(map.microsecondsAt(30), 5000000u + 10 * 2 + 10 * 3);
}

TEST(TempoMap, HostileTimesSaturateInsteadOfWrapping)
{
    constexpr std::uint64_t most = std::numeric_limits<std::uint64_t>::max();
    const midi::TempoMap map(metricalSong(1, {{1ull << 40, 0xFFFFFF}}));
    // 2^40 ticks x 0xFFFFFF still fits 64 bits; 2^41 do not.
    EXPECT_EQ(map.microsecondsAt(1ull << 40), (1ull << 40) * 500000);
    EXPECT_EQ(map.microsecondsAt((1ull << 40) + 1), (1ull << 40) * 500000 + 0xFFFFFF);
    EXPECT_EQ(map.microsecondsAt(most), most);
    EXPECT_EQ(map.frameAt(1ull << 40, 1000000), (1ull << 40) * 500000);
    EXPECT_EQ(map.frameAt(1ull << 40, 4000000000u), most); // 5.5e17 us at 4e9 frames a second
    std::uint64_t previous = 0;
    for (std::uint64_t tick = 1ull << 39; tick < most / 2; tick *= 3) {
        const std::uint64_t now = map.frameAt(tick, 192000);
        EXPECT_GE(now, previous) << tick;
        previous = now;
    }
}
