#pragma once

#include "midi/Song.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace midi {

// What a song may hold at most. Each bound keeps a hostile file from costing unbounded
// memory or time while staying far beyond real songs (the longest General MIDI files
// hold a few hundred thousand events over a few minutes).
namespace songLimits {
// Track chunks read; the header's own count is 16 bits wide.
constexpr std::uint32_t maxTracks = 65535;
// Channel messages and tempo changes kept, about 24 MB of events.
constexpr std::uint64_t maxEvents = 1000000;
// The latest tick on the song's time line (delta sums, and the tracks of a format 2 file
// end to end): beyond it the tempo map's exact sums could no longer be kept small.
constexpr std::uint64_t maxTick = 0xFFFFFFFFu;
// The song's length up to its end tick: a day, so that playing it ends.
constexpr std::uint64_t maxMicroseconds = 24ull * 3600 * 1000000;
// Warning lines kept; what is beyond them is counted in one last line.
constexpr std::size_t maxWarnings = 20;
} // namespace songLimits

// A song read from a Standard MIDI File, or why the file was refused.
struct SongReadResult {
    bool ok = false;
    Song song;         // when ok, with the warnings of what was read past or cut short
    std::string error; // when not ok: the cause, naming the track and byte offset where there is one
};

// Reads a whole Standard MIDI File held in memory: formats 0, 1 and 2, metrical or SMPTE
// division. Tracks are numbered from 1 and offsets are bytes from the file's start in
// every message.
SongReadResult readSong(const std::uint8_t* bytes, std::size_t size);

} // namespace midi
