#include "midi/SmfReader.h"

#include "midi/TempoMap.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

namespace midi {
namespace {

// Thrown inside the reader; readSong turns it into the result's error.
struct Refusal {
    std::string cause;
};

std::uint32_t bigEndian32(const std::uint8_t* bytes)
{
    return std::uint32_t{bytes[0]} << 24 | std::uint32_t{bytes[1]} << 16 | std::uint32_t{bytes[2]} << 8 | bytes[3];
}

std::uint16_t bigEndian16(const std::uint8_t* bytes)
{
    return static_cast<std::uint16_t>(bytes[0] << 8 | bytes[1]);
}

std::string hexByte(std::uint8_t value)
{
    static const char digits[] = "0123456789ABCDEF";
    return std::string("0x") + digits[value >> 4] + digits[value & 15];
}

// A chunk's four-letter id as it may be shown: anything unprintable as '?'.
std::string printableId(const std::uint8_t* id)
{
    std::string text;
    for (int i = 0; i < 4; ++i)
        text += id[i] >= 0x20 && id[i] < 0x7F ? static_cast<char>(id[i]) : '?';
    return text;
}

// Data bytes after a channel message's status byte.
int dataByteCount(std::uint8_t status)
{
    const std::uint8_t kind = status & 0xF0;
    return kind == 0xC0 || kind == 0xD0 ? 1 : 2;
}

// The warnings of one song: the first few in full, the rest counted, so that a file
// that repeats one fault a million times still gives a short report.
class WarningList {
public:
    void add(std::string line)
    {
        if (lines_.size() < songLimits::maxWarnings)
            lines_.push_back(std::move(line));
        else
            ++dropped_;
    }
    std::vector<std::string> take()
    {
        if (dropped_)
            lines_.push_back("... and " + std::to_string(dropped_) + " more warnings");
        return std::move(lines_);
    }

private:
    std::vector<std::string> lines_;
    std::uint64_t dropped_ = 0;
};

class SongReader {
public:
    SongReader(const std::uint8_t* bytes, std::size_t size) : bytes_(bytes), size_(size) {}

    Song read()
    {
        readChunks(readHeader());
        if (song_.trackCount != announcedTracks_)
            warnings_.add("the header announces " + std::to_string(announcedTracks_) + " tracks, the file holds " +
                          std::to_string(song_.trackCount));
        std::sort(song_.events.begin(), song_.events.end(), [](const ChannelEvent& a, const ChannelEvent& b) {
            return a.tick != b.tick     ? a.tick < b.tick
                   : a.track != b.track ? a.track < b.track
                                        : a.position < b.position;
        });
        // Tracks were read in order, so a stable sort keeps the later of two changes on one tick last.
        std::stable_sort(song_.tempoChanges.begin(), song_.tempoChanges.end(),
                         [](const TempoChange& a, const TempoChange& b) { return a.tick < b.tick; });
        refuseEndlessSong();
        song_.warnings = warnings_.take();
        return std::move(song_);
    }

private:
    // The header chunk; where the chunks after it begin.
    std::size_t readHeader()
    {
        if (size_ < 8 || std::memcmp(bytes_, "MThd", 4) != 0)
            throw Refusal{"it is not a Standard MIDI File (it does not start with an MThd chunk)"};
        const std::uint32_t length = bigEndian32(bytes_ + 4);
        if (length < 6)
            throw Refusal{"its header chunk holds " + std::to_string(length) + " bytes, fewer than the 6 it needs"};
        if (length > size_ - 8)
            throw Refusal{"its header chunk of " + std::to_string(length) +
                          " bytes runs past the end of the file at byte " + std::to_string(size_)};
        const std::uint8_t* header = bytes_ + 8;
        song_.format = bigEndian16(header);
        if (song_.format > 2)
            throw Refusal{"its format " + std::to_string(song_.format) + " is not 0, 1 or 2"};
        announcedTracks_ = bigEndian16(header + 2);
        readDivision(bigEndian16(header + 4));
        return 8 + std::size_t{length};
    }

    void readDivision(std::uint16_t value)
    {
        Division& division = song_.division;
        if (value & 0x8000) {
            // The high byte is the frame rate negated, in two's complement.
            const int fps = 256 - (value >> 8);
            if (fps != 24 && fps != 25 && fps != 29 && fps != 30)
                throw Refusal{"its SMPTE division gives " + std::to_string(fps) +
                              " frames per second, not 24, 25, 29 or 30"};
            division.smpte = true;
            division.framesPerSecond = static_cast<std::uint8_t>(fps);
            division.ticksPerFrame = static_cast<std::uint8_t>(value & 0xFF);
            if (division.ticksPerFrame == 0)
                throw Refusal{"its SMPTE division gives 0 ticks per frame"};
        } else {
            division.ticksPerQuarter = value;
            if (value == 0)
                throw Refusal{"its division gives 0 ticks per quarter note"};
        }
    }

    void readChunks(std::size_t offset)
    {
        std::uint64_t nextTrackStart = 0; // format 2 plays its tracks one after another
        while (offset < size_) {
            if (size_ - offset < 8) {
                const std::size_t left = size_ - offset;
                if (std::memcmp(bytes_ + offset, "MTrk", std::min<std::size_t>(left, 4)) == 0)
                    warnings_.add("track " + std::to_string(song_.trackCount + 1) +
                                  " is cut short by the end of the file at byte " + std::to_string(size_) +
                                  ", inside its chunk header at byte " + std::to_string(offset));
                else
                    warnings_.add(std::to_string(left) + " stray bytes at the end of the file (from byte " +
                                  std::to_string(offset) + ") were read past");
                return;
            }
            const std::uint32_t length = bigEndian32(bytes_ + offset + 4);
            const std::size_t begin = offset + 8;
            const bool cut = length > size_ - begin;
            const std::size_t end = cut ? size_ : begin + length;
            if (std::memcmp(bytes_ + offset, "MTrk", 4) == 0) {
                if (song_.trackCount == songLimits::maxTracks)
                    throw Refusal{"it holds more than " + std::to_string(songLimits::maxTracks) + " track chunks"};
                ++song_.trackCount;
                const std::uint64_t trackEnd =
                    readTrack(begin, end, cut, song_.format == 2 ? nextTrackStart : 0, song_.trackCount - 1);
                nextTrackStart = trackEnd;
                song_.endTick = std::max(song_.endTick, trackEnd);
            } else if (cut) {
                warnings_.add("the chunk \"" + printableId(bytes_ + offset) + "\" at byte " + std::to_string(offset) +
                              " runs past the end of the file at byte " + std::to_string(size_) + " and was read past");
            }
            if (cut)
                return;
            offset = end;
        }
    }

    // Reads the events of one track chunk, [begin, end) in the file, from `tick` on; its end tick.
    std::uint64_t readTrack(std::size_t begin, std::size_t end, bool cutByFileEnd, std::uint64_t tick,
                            std::uint32_t track)
    {
        const std::string name = "track " + std::to_string(track + 1);
        std::size_t at = begin;
        std::uint8_t runningStatus = 0;
        std::uint32_t position = 0;
        // The event being read does not fit in what the chunk holds.
        auto incomplete = [&](std::size_t eventStart) {
            if (cutByFileEnd)
                warnings_.add(name + " is cut short by the end of the file at byte " + std::to_string(size_) +
                              "; its events before byte " + std::to_string(eventStart) + " were read");
            else
                warnings_.add(name + ": its last event, at byte " + std::to_string(eventStart) +
                              ", runs past the end of its chunk at byte " + std::to_string(end) + " and was left out");
            return tick;
        };
        auto refuse = [&](std::size_t where, const std::string& what) {
            return Refusal{name + " at byte " + std::to_string(where) + ": " + what};
        };
        // A variable-length number; false when the chunk ends inside it.
        auto readNumber = [&](std::uint32_t& value) {
            value = 0;
            for (int i = 0; i < 4; ++i) {
                if (at == end)
                    return false;
                const std::uint8_t byte = bytes_[at++];
                value = value << 7 | (byte & 0x7F);
                if (!(byte & 0x80))
                    return true;
            }
            throw refuse(at - 4, "a variable-length number runs over 4 bytes");
        };

        while (at < end) {
            const std::size_t eventStart = at;
            std::uint32_t delta = 0;
            if (!readNumber(delta) || at == end)
                return incomplete(eventStart);
            const std::uint64_t eventTick = tick + delta;
            if (eventTick > songLimits::maxTick)
                throw refuse(eventStart, "its ticks add up past " + std::to_string(songLimits::maxTick) +
                                             ", more than a song may last");
            const std::uint8_t first = bytes_[at];
            if (first == 0xFF) {
                ++at;
                std::uint32_t length = 0;
                if (at == end)
                    return incomplete(eventStart);
                const std::uint8_t type = bytes_[at++];
                if (!readNumber(length) || length > end - at)
                    return incomplete(eventStart);
                tick = eventTick;
                const std::uint8_t* data = bytes_ + at;
                at += length;
                if (type == 0x51)
                    readTempo(data, length, eventStart, name, tick);
                else if (type == 0x2F) {
                    if (at < end)
                        warnings_.add(name + ": " + std::to_string(end - at) +
                                      " bytes after its End of Track at byte " + std::to_string(eventStart) +
                                      " were read past");
                    return tick;
                }
            } else if (first == 0xF0 || first == 0xF7) {
                ++at;
                std::uint32_t length = 0;
                if (!readNumber(length) || length > end - at)
                    return incomplete(eventStart);
                tick = eventTick;
                at += length;
            } else if (first > 0xF0) {
                throw refuse(at, "the status byte " + hexByte(first) + " has no place in a song file");
            } else {
                std::uint8_t status = runningStatus;
                if (first & 0x80) {
                    status = first;
                    ++at;
                } else if (status == 0) {
                    throw refuse(at, "a data byte (" + hexByte(first) + ") comes before any status byte");
                }
                const int count = dataByteCount(status);
                if (static_cast<std::size_t>(count) > end - at)
                    return incomplete(eventStart);
                std::uint8_t data[2] = {0, 0};
                for (int i = 0; i < count; ++i, ++at) {
                    data[i] = bytes_[at];
                    if (data[i] & 0x80)
                        throw refuse(at, "the status byte " + hexByte(data[i]) + " stands where a data byte belongs");
                }
                runningStatus = status;
                tick = eventTick;
                countEvent(eventStart, name);
                song_.events.push_back({tick, track, position++, status, data[0], data[1]});
            }
        }
        if (!cutByFileEnd)
            warnings_.add(name + " has no End of Track; it ends with its last event, at tick " + std::to_string(tick));
        else
            warnings_.add(name + " is cut short by the end of the file at byte " + std::to_string(size_) +
                          "; all its events before it were read");
        return tick;
    }

    void readTempo(const std::uint8_t* data, std::uint32_t length, std::size_t at, const std::string& track,
                   std::uint64_t tick)
    {
        if (length < 3) {
            warnings_.add(track + ": the tempo event at byte " + std::to_string(at) + " holds " +
                          std::to_string(length) + " bytes instead of 3 and was read past");
            return;
        }
        const std::uint32_t tempo = std::uint32_t{data[0]} << 16 | std::uint32_t{data[1]} << 8 | data[2];
        if (tempo == 0) {
            warnings_.add(track + ": the tempo event at byte " + std::to_string(at) +
                          " gives 0 microseconds a quarter note and was read past");
            return;
        }
        countEvent(at, track);
        song_.tempoChanges.push_back({tick, tempo});
    }

    void countEvent(std::size_t at, const std::string& track)
    {
        if (++eventCount_ > songLimits::maxEvents)
            throw Refusal{track + " at byte " + std::to_string(at) + ": the song holds more than " +
                          std::to_string(songLimits::maxEvents) + " events (channel messages and tempo changes)"};
    }

    void refuseEndlessSong()
    {
        const std::uint64_t length = TempoMap(song_).microsecondsAt(song_.endTick);
        if (length > songLimits::maxMicroseconds)
            throw Refusal{"it would last " + std::to_string(length / 1000000) + " seconds, longer than the " +
                          std::to_string(songLimits::maxMicroseconds / 3600000000) + " hours a song may last"};
    }

    const std::uint8_t* bytes_;
    std::size_t size_;
    Song song_;
    std::uint16_t announcedTracks_ = 0;
    WarningList warnings_;
    std::uint64_t eventCount_ = 0;
};

} // namespace

SongReadResult readSong(const std::uint8_t* bytes, std::size_t size)
{
    SongReadResult result;
    try {
        result.song = SongReader(bytes, size).read();
        result.ok = true;
    } catch (const Refusal& refusal) {
        result.error = refusal.cause;
    } catch (const std::bad_alloc&) {
        result.error = "out of memory";
    }
    return result;
}

} // namespace midi
