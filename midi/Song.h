#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace midi {

// One channel message of a song, at its tick on the song's one time line (the tracks of a
// format 2 file follow one another on it).
struct ChannelEvent {
    std::uint64_t tick = 0;
    std::uint32_t track = 0;    // index of the track chunk it came from
    std::uint32_t position = 0; // its place among the events of that track
    std::uint8_t status = 0;    // 0x80..0xEF: the message kind in the high nibble, the channel in the low
    std::uint8_t data1 = 0;
    std::uint8_t data2 = 0; // 0 for the one-byte messages (program change, channel pressure)

    std::uint8_t kind() const { return status & 0xF0; }
    std::uint8_t channel() const { return status & 0x0F; }
};

// A Set Tempo meta event: from `tick` on, a quarter note lasts `microsecondsPerQuarter`.
struct TempoChange {
    std::uint64_t tick = 0;
    std::uint32_t microsecondsPerQuarter = 500000;
};

// The header's division: ticks per quarter note, or SMPTE frames per second (24, 25, 29
// for 30000/1001, 30) and ticks per frame.
struct Division {
    bool smpte = false;
    std::uint16_t ticksPerQuarter = 0;
    std::uint8_t framesPerSecond = 0;
    std::uint8_t ticksPerFrame = 0;
};

// A song as the reader gives it: every channel message of every track on one time line,
// in the order they apply (tick, then track, then position in the track), and the tempo
// changes of all tracks.
struct Song {
    std::uint16_t format = 0;
    Division division;
    std::uint32_t trackCount = 0; // track chunks read
    std::vector<ChannelEvent> events;
    std::vector<TempoChange> tempoChanges; // by tick; of two on one tick the later applies
    std::uint64_t endTick = 0;             // the latest End of Track, or the last event
    std::vector<std::string> warnings;     // what was read past or cut short, one line each
};

} // namespace midi
