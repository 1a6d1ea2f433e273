#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

// Standard MIDI Files written byte by byte in tests, so that each case is exactly the
// file it names.
namespace songbytes {

using Bytes = std::vector<std::uint8_t>;

inline void append(Bytes& to, const Bytes& bytes)
{
    to.insert(to.end(), bytes.begin(), bytes.end());
}

inline Bytes bigEndian(std::uint32_t value, int width)
{
    Bytes bytes;
    for (int shift = 8 * (width - 1); shift >= 0; shift -= 8)
        bytes.push_back(static_cast<std::uint8_t>(value >> shift));
    return bytes;
}

// A variable-length number: 7 bits a byte, the high bit set on all but the last.
inline Bytes vlq(std::uint32_t value)
{
    Bytes bytes{static_cast<std::uint8_t>(value & 0x7F)};
    while (value >>= 7)
        bytes.insert(bytes.begin(), static_cast<std::uint8_t>(0x80 | (value & 0x7F)));
    return bytes;
}

// A delta time followed by the event's bytes.
inline Bytes event(std::uint32_t delta, std::initializer_list<std::uint8_t> bytes)
{
    Bytes out = vlq(delta);
    out.insert(out.end(), bytes.begin(), bytes.end());
    return out;
}

inline Bytes tempo(std::uint32_t delta, std::uint32_t microsecondsPerQuarter)
{
    Bytes out = event(delta, {0xFF, 0x51, 0x03});
    append(out, bigEndian(microsecondsPerQuarter, 3));
    return out;
}

inline Bytes endOfTrack(std::uint32_t delta = 0)
{
    return event(delta, {0xFF, 0x2F, 0x00});
}

inline Bytes chunk(const std::string& id, const Bytes& body)
{
    Bytes out(id.begin(), id.end());
    append(out, bigEndian(static_cast<std::uint32_t>(body.size()), 4));
    append(out, body);
    return out;
}

inline Bytes track(std::initializer_list<Bytes> events)
{
    Bytes body;
    for (const Bytes& e : events)
        append(body, e);
    return chunk("MTrk", body);
}

// The header chunk; `division` as the file stores it (0xE728 is SMPTE 25 fps, 40 ticks a frame).
inline Bytes header(std::uint16_t format, std::uint16_t tracks, std::uint16_t division)
{
    Bytes body = bigEndian(format, 2);
    append(body, bigEndian(tracks, 2));
    append(body, bigEndian(division, 2));
    return chunk("MThd", body);
}

inline Bytes song(std::uint16_t format, std::uint16_t division, std::initializer_list<Bytes> tracks)
{
    Bytes out = header(format, static_cast<std::uint16_t>(tracks.size()), division);
    for (const Bytes& t : tracks)
        append(out, t);
    return out;
}

} // namespace songbytes
