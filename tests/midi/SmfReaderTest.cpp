#include "midi/SmfReader.h"
#include "midi/TempoMap.h"
#include "tests/support/SongBytes.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace songbytes;

namespace {

midi::SongReadResult read(const Bytes& bytes)
{
    return midi::readSong(bytes.data(), bytes.size());
}

// tick, track, position, status, data1, data2 of every channel event, in the song's order.
using Row = std::tuple<std::uint64_t, std::uint32_t, std::uint32_t, int, int, int>;
std::vector<Row> rows(const midi::Song& song)
{
    std::vector<Row> out;
    for (const midi::ChannelEvent& e : song.events)
        out.emplace_back(e.tick, e.track, e.position, e.status, e.data1, e.data2);
    return out;
}

} // namespace

TEST(SmfReader, ATempoChangeInAnyTrackTimesEveryTrack)
{
    const auto result = read(song(
        1, 480,
        {track({tempo(480, 250000), endOfTrack()}),
         track({event(0, {0x90, 60, 100}), event(480, {0x80, 60, 0}), event(480, {0x90, 62, 100}), endOfTrack(1)})}));
    ASSERT_TRUE(result.ok) << result.error;
    const midi::Song& s = result.song;
    EXPECT_EQ(s.format, 1);
    EXPECT_EQ(s.trackCount, 2u);
    EXPECT_EQ(s.endTick, 961u);
    EXPECT_TRUE(s.warnings.empty());
    ASSERT_EQ(s.tempoChanges.size(), 1u);
    EXPECT_EQ(s.tempoChanges[0].tick, 480u);
    const midi::TempoMap map(s);
    // 480 ticks at 120 BPM, then a quarter lasts 250000 us.
    EXPECT_EQ(map.microsecondsAt(480), 500000u);
    EXPECT_EQ(map.microsecondsAt(481), 500520u); // 500000 + 250000/480, rounded down
    EXPECT_EQ(map.microsecondsAt(960), 750000u);
    EXPECT_EQ(map.frameAt(960, 44100), 33075u);
    EXPECT_EQ(map.frameAt(481, 44100), 22072u); // floor(500520 x 0.0441)
}

TEST(SmfReader, RunningStatusSurvivesMetaAndSysexEvents)
{
    const auto result =
        read(song(0, 96,
                  {track({event(0, {0x90, 60, 64}), event(10, {0xFF, 0x01, 3, 'a', 'b', 'c'}), event(0, {62, 65}),
                          event(5, {0xF0, 2, 0x7E, 0xF7}), event(0, {64, 66}), event(1, {0xF7, 1, 0xF7}),
                          event(0, {0xC3, 5}), event(2, {7}), endOfTrack()})}));
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(rows(result.song), (std::vector<Row>{{0, 0, 0, 0x90, 60, 64},
                                                   {10, 0, 1, 0x90, 62, 65},
                                                   {15, 0, 2, 0x90, 64, 66},
                                                   {16, 0, 3, 0xC3, 5, 0},
                                                   {18, 0, 4, 0xC3, 7, 0}}));
}

TEST(SmfReader, EventsOfOneTickGoByTrackThenPlaceAndOverlapsAreKept)
{
    // Track 2 sounds first in the file's order, but the same tick puts track 1 first.
    const auto result =
        read(song(1, 96,
                  {track({event(5, {0x90, 60, 1}), event(0, {0x90, 60, 2}), event(3, {0x80, 60, 0}),
                          event(0, {0x80, 60, 0}), endOfTrack()}),
                   track({event(0, {0x91, 40, 3}), event(5, {0x91, 41, 4}), event(0, {0xB1, 7, 9}), endOfTrack()})}));
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(rows(result.song), (std::vector<Row>{{0, 1, 0, 0x91, 40, 3},
                                                   {5, 0, 0, 0x90, 60, 1},
                                                   {5, 0, 1, 0x90, 60, 2},
                                                   {5, 1, 1, 0x91, 41, 4},
                                                   {5, 1, 2, 0xB1, 7, 9},
                                                   {8, 0, 2, 0x80, 60, 0},
                                                   {8, 0, 3, 0x80, 60, 0}}));
}

TEST(SmfReader, SmpteDivisionCountsRealTimeAndIgnoresTempo)
{
    // 25 frames of 40 ticks: a tick is a millisecond whatever the tempo says.
    auto result = read(song(1, 0xE728, {track({tempo(0, 1000000), event(1000, {0x90, 60, 1}), endOfTrack()})}));
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_TRUE(result.song.division.smpte);
    EXPECT_EQ(result.song.division.framesPerSecond, 25);
    EXPECT_EQ(result.song.division.ticksPerFrame, 40);
    EXPECT_EQ(midi::TempoMap(result.song).microsecondsAt(1000), 1000000u);

    // 29 stands for 30000/1001 frames a second: with 4 ticks a frame, 120000 ticks last 1001 s.
    result = read(song(1, 0xE304, {track({endOfTrack(120000)})}));
    ASSERT_TRUE(result.ok) << result.error;
    const midi::TempoMap map(result.song);
    EXPECT_EQ(map.microsecondsAt(120000), 1001000000u);
    EXPECT_EQ(map.microsecondsAt(1), 8341u);  // 1001000000 / 120000 = 8341.67
    EXPECT_EQ(map.microsecondsAt(3), 25025u); // exactly, not 3 x 8341
    EXPECT_EQ(map.frameAt(120000, 48000), 48048000u);
    for (const auto& [division, fps] : std::vector<std::pair<std::uint16_t, int>>{{0xE818, 24}, {0xE201, 30}}) {
        result = read(song(1, division, {track({endOfTrack(fps)})}));
        ASSERT_TRUE(result.ok) << result.error;
        EXPECT_EQ(result.song.division.framesPerSecond, fps);
        EXPECT_EQ(midi::TempoMap(result.song).microsecondsAt(static_cast<std::uint64_t>(fps)),
                  1000000u / (division & 0xFF));
    }
}

TEST(SmfReader, FormatTwoPlaysItsTracksOneAfterAnother)
{
    const auto result =
        read(song(2, 96,
                  {track({event(0, {0x90, 60, 1}), endOfTrack(100)}),
                   track({tempo(0, 250000), event(10, {0x90, 62, 1}), event(20, {0x80, 62, 0}), endOfTrack(6)}),
                   track({event(1, {0x90, 64, 1}), endOfTrack()})}));
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(
        rows(result.song),
        (std::vector<Row>{
            {0, 0, 0, 0x90, 60, 1}, {110, 1, 0, 0x90, 62, 1}, {130, 1, 1, 0x80, 62, 0}, {137, 2, 0, 0x90, 64, 1}}));
    EXPECT_EQ(result.song.endTick, 137u);
    ASSERT_EQ(result.song.tempoChanges.size(), 1u);
    EXPECT_EQ(result.song.tempoChanges[0].tick, 100u);
    // 100 ticks at 500000/96, then 37 at 250000/96.
    EXPECT_EQ(midi::TempoMap(result.song).microsecondsAt(137), (100u * 500000 + 37u * 250000) / 96);
}

TEST(SmfReader, ReadsPastWhatItNeedsNotAndSaysSo)
{
    // A header of 8 bytes, an unknown chunk, a track without End of Track, and a header
    // that announces three tracks for two.
    Bytes file = chunk("MThd", {0, 1, 0, 3, 0, 96, 0xAB, 0xCD});
    append(file, track({event(0, {0x90, 60, 1}), endOfTrack(4)}));
    append(file, chunk("XFIH", {1, 2, 3, 4, 5}));
    append(file, track({event(7, {0x90, 61, 1})}));
    const auto result = read(file);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(rows(result.song), (std::vector<Row>{{0, 0, 0, 0x90, 60, 1}, {7, 1, 0, 0x90, 61, 1}}));
    EXPECT_EQ(result.song.endTick, 7u);
    EXPECT_EQ(result.song.warnings, (std::vector<std::string>{"track 2 has no End of Track; it ends with its last "
                                                              "event, at tick 7",
                                                              "the header announces 3 tracks, the file holds 2"}));
}

TEST(SmfReader, ACutFileKeepsItsWholeEventsAndNamesTrackAndByte)
{
    const Bytes full = song(1, 96,
                            {track({tempo(0, 400000), event(0, {0x90, 60, 1}), endOfTrack(10)}),
                             track({event(1, {0x90, 62, 1}), event(1, {0xF0, 3, 1, 2, 0xF7}), event(1, {64, 1}),
                                    event(1, {0x80, 64, 0}), endOfTrack()})});
    const auto whole = read(full);
    ASSERT_TRUE(whole.ok);
    const std::vector<Row> all = rows(whole.song);
    // Track 2's chunk starts at byte 14 + 8 + 15 = 37; its events at 45, 49 (sysex), 55, 59.
    const Bytes cut(full.begin(), full.begin() + 57);
    auto result = read(cut);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.song.warnings, (std::vector<std::string>{"track 2 is cut short by the end of the file at byte "
                                                              "57; its events before byte 55 were read"}));
    EXPECT_EQ(rows(result.song), (std::vector<Row>{all[0], all[1]}));

    // Every cut: refused with a cause while the header is incomplete, else read as far
    // as whole events go, with one warning that names a track and a byte.
    for (std::size_t length = 0; length < full.size(); ++length) {
        result = read(Bytes(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(length)));
        if (length < 14) {
            EXPECT_FALSE(result.ok) << length;
            EXPECT_FALSE(result.error.empty()) << length;
            continue;
        }
        ASSERT_TRUE(result.ok) << length << ": " << result.error;
        const std::vector<Row> got = rows(result.song);
        for (const Row& row : got)
            EXPECT_NE(std::find(all.begin(), all.end(), row), all.end()) << length;
        // A cut inside a chunk names its track and byte; one between chunks leaves a track missing.
        if (length > 14) {
            ASSERT_FALSE(result.song.warnings.empty()) << length;
            const std::string& warning = result.song.warnings[0];
            const bool named = warning.find("track") != std::string::npos && warning.find("byte") != std::string::npos;
            EXPECT_TRUE(named || warning == "the header announces 2 tracks, the file holds 1")
                << length << ": " << warning;
        }
    }

    // A chunk whose last event runs past the chunk's own end, with the file going on.
    Bytes overrun = header(1, 2, 96);
    append(overrun, chunk("MTrk", {0, 0x90, 60, 1, 0, 0x90, 62}));
    append(overrun, track({endOfTrack()}));
    result = read(overrun);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.song.events.size(), 1u);
    EXPECT_EQ(result.song.warnings,
              (std::vector<std::string>{"track 1: its last event, at byte 26, runs past the end of its chunk at byte "
                                        "29 and was left out"}));
}

TEST(SmfReader, RefusesWhatItCannotReadWithTheCause)
{
    const std::vector<std::pair<Bytes, std::string>> cases = {
        {chunk("RIFF", {0, 0, 0, 0, 0, 0}), "it is not a Standard MIDI File (it does not start with an MThd chunk)"},
        {chunk("MThd", {0, 1, 0, 1}), "its header chunk holds 4 bytes, fewer than the 6 it needs"},
        {Bytes{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1}, "its header chunk of 6 bytes runs past the end of the file at "
                                                      "byte 10"},
        {song(3, 96, {}), "its format 3 is not 0, 1 or 2"},
        {song(1, 0, {}), "its division gives 0 ticks per quarter note"},
        {song(1, 0xE428, {}), "its SMPTE division gives 28 frames per second, not 24, 25, 29 or 30"},
        {song(1, 0xE700, {}), "its SMPTE division gives 0 ticks per frame"},
        {song(1, 96, {track({event(0, {0x90, 60, 1}), Bytes{0x80, 0x80, 0x80, 0x80, 0x00, 0x80, 60, 0}})}),
         "track 1 at byte 26: a variable-length number runs over 4 bytes"},
        {song(1, 96, {track({event(0, {60, 1})})}), "track 1 at byte 23: a data byte (0x3C) comes before any status "
                                                    "byte"},
        {song(1, 96, {track({}), track({event(0, {0xF4})})}), "track 2 at byte 31: the status byte 0xF4 has no place "
                                                              "in a song file"},
        {song(1, 96, {track({event(0, {0x90, 60, 0x90})})}), "track 1 at byte 25: the status byte 0x90 stands where a "
                                                             "data byte belongs"},
        // A quarter of 16.7 s at one tick a quarter: 10000 ticks last over 46 hours.
        {song(1, 1, {track({tempo(0, 0xFFFFFF), endOfTrack(10000)})}),
         "it would last 167772 seconds, longer than the 24 hours a song may last"},
    };
    for (const auto& [bytes, cause] : cases) {
        const auto result = read(bytes);
        EXPECT_FALSE(result.ok) << cause;
        EXPECT_EQ(result.error, cause);
    }
}

TEST(SmfReader, RefusesCountsBeyondItsLimits)
{
    // Deltas of the largest 4-byte number: sixteen stay within the tick limit, seventeen pass it.
    Bytes body = tempo(0, 1000000);
    append(body, event(0, {0xC0, 1}));
    for (int i = 0; i < 16; ++i)
        append(body, event(0x0FFFFFFF, {1}));
    auto result = read(song(1, 0x7FFF, {chunk("MTrk", body)}));
    EXPECT_EQ(result.error, "it would last 131075 seconds, longer than the 24 hours a song may last")
        << "16 x 0x0FFFFFFF ticks are within the tick limit and refused only for their length";
    append(body, event(0x0FFFFFFF, {1}));
    result = read(song(1, 0x7FFF, {chunk("MTrk", body)}));
    EXPECT_EQ(result.error, "track 1 at byte " + std::to_string(14 + 8 + 7 + 3 + 16 * 5) +
                                ": its ticks add up past 4294967295, more than a song may last");

    // Events: program changes of two bytes each under running status.
    auto programChanges = [](std::uint64_t count) {
        Bytes body = event(0, {0xC0, 0});
        body.reserve(2 * count + 8);
        for (std::uint64_t i = 1; i < count; ++i) {
            body.push_back(0);
            body.push_back(static_cast<std::uint8_t>(i & 0x7F));
        }
        return song(0, 96, {chunk("MTrk", body)});
    };
    result = read(programChanges(midi::songLimits::maxEvents));
    EXPECT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.song.events.size(), midi::songLimits::maxEvents);
    result = read(programChanges(midi::songLimits::maxEvents + 1));
    EXPECT_EQ(result.error, "track 1 at byte " + std::to_string(23 + 2 * midi::songLimits::maxEvents) +
                                ": the song holds more than 1000000 events (channel messages and tempo changes)");

    // Track chunks: empty ones cost the file 8 bytes each.
    Bytes tracks = header(1, 0xFFFF, 96);
    for (std::uint32_t t = 0; t <= midi::songLimits::maxTracks; ++t)
        append(tracks, chunk("MTrk", {}));
    result = read(tracks);
    EXPECT_EQ(result.error, "it holds more than 65535 track chunks");
    tracks.resize(tracks.size() - 8);
    result = read(tracks);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.song.trackCount, 65535u);
    // A warning for each track without End of Track would be 65535 lines: the first are kept, the rest counted.
    ASSERT_EQ(result.song.warnings.size(), midi::songLimits::maxWarnings + 1);
    EXPECT_EQ(result.song.warnings.back(), "... and 65515 more warnings");
}
