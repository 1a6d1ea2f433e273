#pragma once

// Building WAV files for tests: RIFF chunks by hand, and real files written by sox.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

inline void appendU16(Bytes& bytes, std::uint16_t value)
{
    bytes.push_back(static_cast<std::uint8_t>(value));
    bytes.push_back(static_cast<std::uint8_t>(value >> 8));
}

inline void appendU32(Bytes& bytes, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

inline void appendId(Bytes& bytes, const char* id)
{
    for (int i = 0; i < 4; ++i)
        bytes.push_back(static_cast<std::uint8_t>(id[i]));
}

// One chunk: header, body and, for an odd-sized body, the pad byte unless `pad` is off.
inline Bytes chunk(const char* id, const Bytes& body, bool pad = true)
{
    Bytes bytes;
    appendId(bytes, id);
    appendU32(bytes, static_cast<std::uint32_t>(body.size()));
    bytes.insert(bytes.end(), body.begin(), body.end());
    if (pad && body.size() % 2 != 0)
        bytes.push_back(0);
    return bytes;
}

// The 16-byte "fmt " body.
inline Bytes formatBody(std::uint16_t tag, std::uint16_t channels, std::uint16_t alignment, std::uint16_t bits,
                        std::uint32_t rate = 22050)
{
    Bytes body;
    appendU16(body, tag);
    appendU16(body, channels);
    appendU32(body, rate);
    appendU32(body, rate * alignment);
    appendU16(body, alignment);
    appendU16(body, bits);
    return body;
}

// The 40-byte extensible "fmt " body; the sub-format GUID carries `subFormat`.
inline Bytes extensibleFormatBody(std::uint16_t channels, std::uint16_t alignment, std::uint16_t subFormat)
{
    Bytes body = formatBody(0xFFFE, channels, alignment, static_cast<std::uint16_t>(alignment * 8));
    appendU16(body, 22);                                        // extension size
    appendU16(body, static_cast<std::uint16_t>(alignment * 8)); // valid bits
    appendU32(body, 4);                                         // channel mask: front centre
    appendU16(body, subFormat);
    const std::uint8_t tail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
    body.insert(body.end(), tail, tail + sizeof tail);
    return body;
}

// "RIFF", the length of what follows, "WAVE", then the chunks.
inline Bytes riffWave(std::initializer_list<Bytes> chunks)
{
    Bytes content;
    appendId(content, "WAVE");
    for (const Bytes& c : chunks)
        content.insert(content.end(), c.begin(), c.end());
    Bytes bytes;
    appendId(bytes, "RIFF");
    appendU32(bytes, static_cast<std::uint32_t>(content.size()));
    bytes.insert(bytes.end(), content.begin(), content.end());
    return bytes;
}

// Little-endian signed samples of `width` bytes each.
inline Bytes sampleBytes(std::initializer_list<std::int64_t> samples, int width)
{
    Bytes bytes;
    for (std::int64_t s : samples)
        for (int i = 0; i < width; ++i)
            bytes.push_back(static_cast<std::uint8_t>(static_cast<std::uint64_t>(s) >> (8 * i)));
    return bytes;
}

// Runs sox with `arguments`; true when it succeeded.
inline bool runSox(const std::string& arguments)
{
    const std::string command = "sox -D -q " + arguments + " 2>&1";
    return std::system(command.c_str()) == 0;
}

// Offset of the first chunk `id` in a RIFF file, walking the chunks; npos if absent.
inline std::size_t findChunk(const Bytes& file, const char* id)
{
    std::size_t at = 12;
    while (at + 8 <= file.size()) {
        if (std::memcmp(file.data() + at, id, 4) == 0)
            return at;
        const std::uint32_t size = file[at + 4] | (file[at + 5] << 8) | (file[at + 6] << 16) |
                                   (static_cast<std::uint32_t>(file[at + 7]) << 24);
        at += 8 + size + (size % 2);
    }
    return std::string::npos;
}
